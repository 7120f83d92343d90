#include "platform/TextCodec.h"

#include "platform/FileNames.h"

#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <utility>

namespace platform {

int ansiCodePageForLocale(QStringView localeName)
{
    // "zh_TW.UTF-8@x" -> language "zh", territory "TW".
    QStringView name = localeName;
    for (QChar stop : {u'.', u'@'}) {
        const qsizetype at = name.indexOf(stop);
        if (at >= 0)
            name = name.left(at);
    }
    const qsizetype underscore = name.indexOf(u'_');
    const QString language = name.left(underscore < 0 ? name.size() : underscore).toString().toLower();
    const QString territory = underscore < 0 ? QString() : name.mid(underscore + 1).toString().toUpper();

    if (language == u"zh")
        return (territory == u"TW" || territory == u"HK") ? 950 : 936;
    static const std::pair<const char*, int> languages[] = {
        {"ja", 932}, {"ko", 949}, {"th", 874},
        {"cs", 1250}, {"pl", 1250}, {"hu", 1250}, {"sk", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250},
        {"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"be", 1251}, {"sr", 1251},
        {"el", 1253}, {"tr", 1254}, {"he", 1255}, {"ar", 1256}, {"fa", 1256},
        {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258},
    };
    for (const auto& [code, page] : languages)
        if (language == QLatin1String(code))
            return page;
    return 1252;
}

int ansiCodePage()
{
    static const int page = [] {
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const char* value = std::getenv(variable);
            if (value && *value)
                return ansiCodePageForLocale(QString::fromLocal8Bit(value));
        }
        return 1252;
    }();
    return page;
}

QString decodeCodePage(QByteArrayView bytes, int codePage)
{
    const QByteArray name = "CP" + QByteArray::number(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    if (cd == iconv_t(-1))
        cd = iconv_open("UTF-16LE", "CP1252");
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes.data(), bytes.size());

    // No code page of the list yields more than one UTF-16 unit per byte.
    QString result(bytes.size(), Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char* out = reinterpret_cast<char*>(result.data());
    size_t outLeft = size_t(result.size()) * 2;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG || outLeft < 2)
            break;
        // An undecodable byte, or a lead byte at the very end: one replacement, go on.
        const char16_t replacement = 0xFFFD;
        std::memcpy(out, &replacement, 2);
        out += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    result.truncate(qsizetype(reinterpret_cast<QChar*>(out) - result.data()));
    return result;
}

namespace {

QString decodeUtf8ElseCodePage(QByteArrayView bytes, QStringDecoder::Flags flags)
{
    QStringDecoder utf8(QStringDecoder::Utf8, flags);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCodePage(bytes, ansiCodePage());
}

} // namespace

QString decodeText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    return decodeUtf8ElseCodePage(bytes, QStringDecoder::Flag::Stateless);
}

QString decodeLine(QByteArrayView bytes)
{
    return decodeUtf8ElseCodePage(bytes, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
}

// Escaped bytes of a name that was not UTF-8 go back as those bytes, so a path written
// into a list or the settings file opens again when read back.
QByteArray encodeText(QStringView text) { return fileNameToBytes(text); }

} // namespace platform
