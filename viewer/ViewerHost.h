#pragma once
// What the file viewer asks of the program around it, at the moment it needs it: the
// project whose folder its project-files menu lists, the help file, and the scan option
// of the options dialog. The program's windows implement it; a test can hand the viewer
// a host of its own.

#include <QString>

class ViewerHost {
public:
    virtual ~ViewerHost() = default;

    // Full path of the project file whose folder the file panel shows.
    virtual QString projectFile() const = 0;
    // The help file kbl.hlp; empty when there is none.
    virtual QString helpFile() const = 0;
    // Whether the declaration scan drops parameter lists ("移去參數列表").
    virtual bool removeParameterList() const = 0;
};
