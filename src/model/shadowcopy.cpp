#include "shadowcopy.h"

const QString ShadowCopy::SnapDir = QStringLiteral("snapdir");
const QString ShadowCopy::Format = QStringLiteral("format");
const QString ShadowCopy::Sort = QStringLiteral("sort");
const QString ShadowCopy::LocalTime = QStringLiteral("localtime");
const QString ShadowCopy::SnapDirsEverywhere = QStringLiteral("snapdirseverywhere");
const QString ShadowCopy::SnapPrefix = QStringLiteral("snapprefix");
const QString ShadowCopy::DelimiterPrefix = QStringLiteral("delimiter");

// Its options are "shadow:KEY", not "shadow_copy2:KEY" (vfs_shadow_copy2(8)).
ShadowCopy::ShadowCopy()
    : OptionModule(QStringLiteral("shadow_copy2"), QStringLiteral("shadow"),
                   {SnapDir, Format, Sort, LocalTime, SnapDirsEverywhere, SnapPrefix, DelimiterPrefix})
{
}
