#include "recyclebin.h"

const QString RecycleBin::Repository = QStringLiteral("repository");
const QString RecycleBin::KeepTree = QStringLiteral("keeptree");
const QString RecycleBin::Versions = QStringLiteral("versions");
const QString RecycleBin::Touch = QStringLiteral("touch");
const QString RecycleBin::MaxSize = QStringLiteral("maxsize");
const QString RecycleBin::Exclude = QStringLiteral("exclude");
const QString RecycleBin::ExcludeDir = QStringLiteral("exclude_dir");

RecycleBin::RecycleBin()
    : OptionModule(QStringLiteral("recycle"), QStringLiteral("recycle"),
                   {Repository, KeepTree, Versions, Touch, MaxSize, Exclude, ExcludeDir})
{
}
