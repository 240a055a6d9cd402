#include <QtTest>

class TestConfigurationJsonWriter : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestConfigurationJsonWriter)
#include "tst_configurationjsonwriter.moc"
