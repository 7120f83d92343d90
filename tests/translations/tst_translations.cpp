// The translation files against the sources: lupdate, run on copies of them, finds every
// text the program passes through tr(); each must have a finished translation in both.
#include "app/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>
#include <set>

namespace {

const QStringList TranslationFiles = {QStringLiteral("kestrabel_en.ts"), QStringLiteral("kestrabel_zh_CN.ts")};

std::set<QString> placeholders(const QString& text)
{
    std::set<QString> found;
    static const QRegularExpression marker(QStringLiteral("%\\d+"));
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured());
    return found;
}

// One line per message that lacks a finished translation or loses a placeholder.
QStringList faults(const QString& path)
{
    QStringList found;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read ") + path};
    QXmlStreamReader xml(&file);
    QString context, source, comment;
    while (!xml.atEnd()) {
        if (!xml.readNext() || !xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            source.clear();
            comment.clear();
        } else if (name == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (name == QLatin1String("comment")) {
            comment = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString text = xml.readElementText();
            const QString what = context + QStringLiteral(": \"") + source + u'"'
                                 + (comment.isEmpty() ? QString() : QStringLiteral(" (") + comment + u')');
            if (type == QLatin1String("unfinished") || text.isEmpty())
                found << QStringLiteral("unfinished ") + what;
            else if (type == QLatin1String("vanished") || type == QLatin1String("obsolete"))
                continue;
            else if (placeholders(text) != placeholders(source))
                found << QStringLiteral("placeholders differ ") + what;
        }
    }
    if (xml.hasError())
        found << path + QStringLiteral(": ") + xml.errorString();
    return found;
}

bool run(const QString& program, const QStringList& arguments, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(60000);
    *output = QString::fromLocal8Bit(process.readAll());
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

TEST(Translations, EverySourceTextHasAFinishedTranslationInBothFiles)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString project = work.filePath(QStringLiteral("project.json"));
    QString output;
    ASSERT_TRUE(run(QStringLiteral(KBL_CMAKE),
                    {QStringLiteral("-DIN_FILE=" KBL_LUPDATE_PROJECT), QStringLiteral("-DOUT_FILE=") + project,
                     QStringLiteral("-P"), QStringLiteral(KBL_LUPDATE_GENERATOR)},
                    &output))
        << output.toStdString();
    QStringList arguments = {QStringLiteral("-project"), project, QStringLiteral("-no-obsolete"),
                             QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-ts")};
    for (const QString& name : TranslationFiles) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KBL_SOURCE_DIR "/translations/") + name, work.filePath(name))) << name.toStdString();
        arguments << work.filePath(name);
    }
    ASSERT_TRUE(run(QStringLiteral(KBL_LUPDATE), arguments, &output)) << output.toStdString();
    for (const QString& name : TranslationFiles) {
        const QStringList found = faults(work.filePath(name));
        EXPECT_TRUE(found.isEmpty()) << name.toStdString() << " (refresh with: cmake --build build --target "
                                     << "update_translations)\n" << found.join(u'\n').toStdString();
    }
}

TEST(Translations, TheCheckNamesEachUnfinishedOrBrokenMessage)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QFile file(work.filePath(QStringLiteral("t.ts")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context><name>TForm1</name>
<message><source>掃描</source><translation>Scan</translation></message>
<message><source>停止</source><translation type="unfinished"></translation></message>
<message><source>選項</source><translation></translation></message>
<message><source>Can't find %1</source><translation>Can't find it</translation></message>
<message><source>取消</source><comment>turns the exclusions off</comment><translation type="unfinished">Disable</translation></message>
<message><source>舊</source><translation type="vanished">Old</translation></message>
</context>
</TS>
)");
    file.close();
    EXPECT_EQ(faults(file.fileName()), QStringList({QStringLiteral("unfinished TForm1: \"停止\""),
                                                    QStringLiteral("unfinished TForm1: \"選項\""),
                                                    QStringLiteral("placeholders differ TForm1: \"Can't find %1\""),
                                                    QStringLiteral("unfinished TForm1: \"取消\" (turns the exclusions off)")}));
}

TEST(Translations, BothTranslationsTravelInsideTheProgram)
{
    for (const char* lang : {"en", "zh_CN"}) {
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/i18n/kestrabel_") + QLatin1String(lang) + QStringLiteral(".qm"))) << lang;
        EXPECT_TRUE(language::install(QLatin1String(lang))) << lang;
    }
    EXPECT_EQ(QCoreApplication::translate("TForm1", "設定目錄"), QStringLiteral("设置目录"));
    language::install(QString());
    EXPECT_EQ(QCoreApplication::translate("TForm1", "設定目錄"), QStringLiteral("設定目錄"));
}

} // namespace
