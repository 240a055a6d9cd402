#pragma once

#include <QString>

#include <exception>

struct TestParmResult;

// What the window's start-up tells the administrator when smb.conf cannot be loaded,
// and which automatic repair it can offer for that text.
class StartupError
{
public:
    enum Offer {
        NoOffer, // a plain error box
        SecurityOffer, // remove the security values Samba rejects, and load again
        IdmapOffer, // give the default idmap domain * a valid range, and load again
    };

    // The failure text of a start-up check; empty when the check let loading go on.
    static QString checkFailure(const TestParmResult &result);
    // The failure text of an exception thrown while loading.
    static QString loadFailure(const std::exception &error);
    // The repair that fits a failure text.
    static Offer offerFor(const QString &text);
    // The text as shown: testparm's note about the open-file limit is explained as what it
    // is, information, after it.
    static QString withNotes(const QString &text);
};
