#pragma once
// File-name masks with the Windows rules, the same on every platform: "*" any run,
// "?" one character, letters compared without regard to case, a mask ending in "." is met
// only by names without a dot, and a mask ending in ".*" is also met by the name without
// that dot ("*.*" takes every name). There are no short 8.3 names.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>

namespace platform {

class WildcardMask {
public:
    WildcardMask() = default;
    explicit WildcardMask(QStringView mask);

    // `name` is the bytes of one file name (no folder part).
    bool matches(QByteArrayView name) const;
    bool matches(QStringView name) const;

private:
    std::u32string mask_; // case-folded code points, without a final "." rule
    QByteArray asciiMask_; // the same in bytes, when the mask is plain ASCII
    bool ascii_ = true;
    bool noDot_ = false;        // mask ended in "."
    bool dotStarOptional_ = false; // mask ended in ".*"
    QByteArray suffix_;            // for "*" + a plain ASCII tail: the folded tail
};

} // namespace platform
