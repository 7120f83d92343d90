#pragma once
// Every section and key of kbl.ini with its default, in one place. Windows name these
// constants and never repeat a key literal.

#include "platform/Colors.h"

#include <QString>

namespace settings {

struct StringKey {
    const char* section;
    const char* key;
    const char* fallback; // UTF-8
    bool isPath = false;  // a file-system path: bytes that are not UTF-8 are kept as they are
};
struct IntKey {
    const char* section;
    const char* key;
    int fallback;
};
struct BoolKey {
    const char* section;
    const char* key;
    bool fallback;
};
struct ColorKey {
    const char* section;
    const char* key;
    qint32 fallback;
};

inline constexpr const char* FileName = "kbl.ini";

// Identification of the installed program; written at every start, never read back.
namespace application {
inline constexpr const char* Section = "application";
inline constexpr StringKey name{Section, "name", ""};
inline constexpr StringKey path{Section, "path", "", true};
inline constexpr const char* ProgramName = "Kestrabel";
} // namespace application

// The options dialog; the defaults are those of its controls.
namespace options {
inline constexpr const char* Section = "options";
inline constexpr StringKey EditRoot{Section, "EditRoot", "", true}; // stored with a trailing separator
inline constexpr BoolKey CBoxMinExe{Section, "CBoxMinExe", false};
inline constexpr BoolKey CBoxMinProject{Section, "CBoxMinProject", true};
inline constexpr BoolKey CBoxMinimizeAllWhenRunProject{Section, "CBoxMinimizeAllWhenRunProject", true};
inline constexpr BoolKey CBoxDontLoadList{Section, "CBoxDontLoadList", false};
inline constexpr BoolKey CBoxShowProjFolderInFM{Section, "CBoxShowProjFolderInFM", false};
inline constexpr BoolKey CBoxDisableExcludedFolders{Section, "CBoxDisableExcludedFolders", false};
inline constexpr BoolKey cboxDPR{Section, "cboxDPR", true};
inline constexpr BoolKey cboxPAS{Section, "cboxPAS", true};
inline constexpr BoolKey cboxDFM{Section, "cboxDFM", false};
inline constexpr BoolKey cboxDSK{Section, "cboxDSK", false};
inline constexpr BoolKey cboxDOF{Section, "cboxDOF", false};
inline constexpr BoolKey cboxCFG{Section, "cboxCFG", false};
inline constexpr BoolKey cboxTXT{Section, "cboxTXT", false};
// The kinds of Lazarus projects, after the seven of Delphi.
inline constexpr BoolKey cboxLPI{Section, "cboxLPI", false};
inline constexpr BoolKey cboxLPR{Section, "cboxLPR", false};
inline constexpr BoolKey cboxLFM{Section, "cboxLFM", false};
inline constexpr BoolKey cboxINC{Section, "cboxINC", false};
inline constexpr IntKey RGroupOnDoubleClick{Section, "RGroupOnDoubleClick", 0}; // 0 exe, 1 project
inline constexpr StringKey EditFileManagerText{Section, "EditFileManagerText", "", true};
inline constexpr StringKey EEditFMCommandLineOptionText{Section, "EEditFMCommandLineOptionText", ""};
inline constexpr ColorKey stextDPR{Section, "stextDPR", 12764926};
inline constexpr ColorKey stextPAS{Section, "stextPAS", 16370897};
inline constexpr ColorKey stextDFM{Section, "stextDFM", 8126331};
inline constexpr ColorKey stextDSK{Section, "stextDSK", 15177447};
inline constexpr ColorKey stextDOF{Section, "stextDOF", 15197159};
inline constexpr ColorKey stextCFG{Section, "stextCFG", 16777215};
inline constexpr ColorKey stextTXT{Section, "stextTXT", 11206655};
inline constexpr ColorKey stextLPI{Section, "stextLPI", 11197183};  // 255, 218, 170 (light orange)
inline constexpr ColorKey stextLPR{Section, "stextLPR", 12903679};  // 255, 228, 196 (bisque)
inline constexpr ColorKey stextLFM{Section, "stextLFM", 13168830};  // 190, 240, 200 (mint)
inline constexpr ColorKey stextINC{Section, "stextINC", 16437980};  // 220, 210, 250 (lavender)
// Lazarus projects (.lpi) are scanned beside Delphi projects; off, the scan looks for
// *.dpr alone.
inline constexpr BoolKey CBoxLazarusProjects{Section, "CBoxLazarusProjects", true};
inline constexpr BoolKey CBoxRemoveParameterList{Section, "CBoxRemoveParameterList", false};
// The language of the user interface: "en", "zh_CN", "zh_TW" (the program's own texts);
// empty follows the locale. Read at start-up.
inline constexpr StringKey language{Section, "language", ""};

// The file kinds in their fixed order: dpr, pas, dfm, dsk, dof, cfg, txt, then the
// Lazarus kinds lpi, lpr, lfm, inc.
inline constexpr int KindCount = 11;
inline constexpr BoolKey showKinds[KindCount] = {cboxDPR, cboxPAS, cboxDFM, cboxDSK, cboxDOF, cboxCFG,
                                                 cboxTXT, cboxLPI, cboxLPR, cboxLFM, cboxINC};
inline constexpr ColorKey kindColors[KindCount] = {stextDPR, stextPAS, stextDFM, stextDSK, stextDOF, stextCFG,
                                                   stextTXT, stextLPI, stextLPR, stextLFM, stextINC};
} // namespace options

// Folders left out of scans: "number" is the last index, entries are keys "0".."number".
namespace exclude {
inline constexpr const char* Section = "exclude";
inline constexpr IntKey number{Section, "number", -1};
inline constexpr const char* EntryFallback = "";
inline QString entryKey(int index) { return QString::number(index); }
} // namespace exclude

// Main window.
namespace form1 {
inline constexpr const char* Section = "form1";
inline constexpr IntKey left{Section, "left", 50};
inline constexpr IntKey top{Section, "top", 30};
inline constexpr IntKey width{Section, "width", 700};
inline constexpr IntKey height{Section, "height", 450};
inline constexpr BoolKey maximized{Section, "maximized", false};
inline constexpr IntKey statusTop{Section, "statusTop", 429};
inline constexpr IntKey lviewFilesLeft{Section, "lviewFilesLeft", 490};
inline constexpr IntKey lviewFilesWidth{Section, "lviewFilesWidth", 197};
inline constexpr IntKey lviewHotlistHeight{Section, "lviewHotlistHeight", 120};
inline constexpr IntKey SplitterLodretLeft{Section, "SplitterLodretLeft", 0}; // written, never read
inline constexpr IntKey lviewLastSortedColumn{Section, "lviewLastSortedColumn", 0};
inline constexpr BoolKey lviewAscending{Section, "lviewAscending", true};
inline constexpr IntKey lviewHotlistLastSortedColumn{Section, "lviewHotlistLastSortedColumn", 0};
inline constexpr BoolKey lviewHotlistAscending{Section, "lviewHotlistAscending", true};
inline constexpr IntKey lviewFilesLastSortedColumn{Section, "lviewFilesLastSortedColumn", 0};
inline constexpr BoolKey lviewFilesAscending{Section, "lviewFilesAscending", true};
} // namespace form1

// Options dialog: written at every close, whatever its window state.
namespace form2 {
inline constexpr const char* Section = "form2";
inline constexpr IntKey left{Section, "left", 50};
inline constexpr IntKey top{Section, "top", 30};
inline constexpr IntKey width{Section, "width", 525};
inline constexpr IntKey height{Section, "height", 474};
} // namespace form2

// File viewer.
namespace form3 {
inline constexpr const char* Section = "form3";
inline constexpr IntKey left{Section, "left", 50};
inline constexpr IntKey top{Section, "top", 50};
inline constexpr IntKey width{Section, "width", 500};
inline constexpr IntKey height{Section, "height", 300};
inline constexpr BoolKey maximized{Section, "maximized", false};
inline constexpr StringKey fontname{Section, "fontname", "Lucida Console"};
inline constexpr IntKey fontsize{Section, "fontsize", 8}; // points
inline constexpr ColorKey fontcolor{Section, "fontcolor", platform::clWindowText};
inline constexpr BoolKey fontbold{Section, "fontbold", false};
inline constexpr ColorKey memocolor{Section, "memocolor", platform::clWindow};
} // namespace form3

// Method jumper; the main window writes these at its close.
namespace form4 {
inline constexpr const char* Section = "form4";
inline constexpr IntKey left{Section, "left", 50};
inline constexpr IntKey top{Section, "top", 30};
inline constexpr IntKey width{Section, "width", 400};
inline constexpr IntKey height{Section, "height", 450};
inline constexpr BoolKey lviewMJAscending{Section, "lviewMJAscending", true};
inline constexpr IntKey lviewMJLastSortedColumn{Section, "lviewMJLastSortedColumn", 1};
} // namespace form4

// Custom colours of the two colour dialogs: "ColorA".."ColorP" = hex 0x00BBGGRR.
inline constexpr const char* form3colors = "form3colors"; // the viewer's background colour dialog
inline constexpr const char* customcolors = "customcolors"; // the options dialog's colour dialog
inline constexpr int MaxCustomColorValueLength = 99;

// The viewer's search dialog; stored as "-" + text + "-" so outer blanks survive.
namespace FindD {
inline constexpr const char* Section = "FindD";
inline constexpr StringKey FindText{Section, "FindText", ""};
} // namespace FindD

// IDE location.
namespace setup {
inline constexpr const char* Section = "setup";
inline constexpr StringKey delphiExePath{Section, "delphiExePath", "", true};
} // namespace setup

} // namespace settings
