#pragma once

#include <QMetaType>
#include <QString>

// What Samba's checker said about a configuration file.
struct TestParmResult
{
    enum Status {
        Ok = 0,
        Warnings = 1,
        Errors = 2,
        Failed = 3, // the checker did not complete
    };

    int status = Ok;
    // The checker's standard error, or a fixed message when it did not complete.
    QString output;
};

Q_DECLARE_METATYPE(TestParmResult)
