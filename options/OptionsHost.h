#pragma once
// What the options dialog changes outside itself: the main window's double-click mark,
// the file panel's kinds and colours, and the root folder. The main window implements
// it; a test can hand the dialog a host of its own.

#include "catalogue/FilePanel.h"

#include <QString>

class OptionsHost {
public:
    virtual ~OptionsHost() = default;

    // The double-click action in the status bar: "exe" or "prjct".
    virtual void showDoubleClickAction(const QString& text) = 0;

    // The kinds the file panel lists; with every kind off the panel is cleared.
    virtual void setShownKinds(const filepanel::KindFlags& shown) = 0;
    virtual void setKindColors(const filepanel::KindColors& colors) = 0;

    // The root folder without its final separator (the file-system root keeps it).
    virtual QString rootFolder() const = 0;
    // Takes a newly chosen root at once: the main window's root and caption.
    virtual void setRootFolder(const QString& folder) = 0;
    // OK with "Follow changes under the root" as it now stands: off ends following at once.
    virtual void setFollowChanges(bool on) { (void)on; }
};
