// The main window's scan: its button, the three handlers of its folder search and the
// window changes a scan makes. The work itself is ScanRun's.

#include "settings/IniFile.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "app/TForm1.h"
#include "catalogue/Exclusions.h"
#include "catalogue/FileSearch.h"
#include "app/ProjectRows.h"
#include "catalogue/ScanRun.h"
#include "catalogue/TreeWalk.h"
#include "options/TForm2.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

namespace {

// The work after a scan, posted behind the finished list's repaint.
struct AfterScanEvent final : QEvent {
    static constexpr QEvent::Type Type = QEvent::Type(QEvent::User + 1);
    explicit AfterScanEvent(int scan) : QEvent(Type), scan(scan) {}
    int scan;
};

// Applies a scan's changes to the main window's controls.
class MainWindowScanView final : public ScanView {
public:
    explicit MainWindowScanView(TForm1& form) : m_form(form) {}

    void showSearchedFolder(const QString& statusText) override { m_form.status->setPanelText(0, statusText); }

    void addProjects(const std::vector<ProjectEntry>& entries) override
    {
        addProjectRows(*m_form.lview, entries);
    }

    void finishScan(int excludedCount) override { m_form.finishScan(excludedCount); }

private:
    TForm1& m_form;
};

} // namespace

void TForm1::createFileSearch()
{
    m_scanView = std::make_unique<MainWindowScanView>(*this);
    m_scan = std::make_unique<ScanRun>(*m_scanView);
    FileSearch1 = std::make_unique<TFileSearch>();
    // The handlers run on the search's worker, which waits for each of them.
    connect(FileSearch1.get(), &TFileSearch::OnProgress, FileSearch1.get(),
            [this](QObject* sender, const QString& dir, const QString& mask) { FileSearch1Progress(sender, dir, mask); },
            Qt::DirectConnection);
    connect(FileSearch1.get(), &TFileSearch::OnMatchFound, FileSearch1.get(),
            [this](QObject* sender, qint32 time, qint32 size, qint32 attr, const QString& file) {
                FileSearch1MatchFound(sender, time, size, attr, file);
            },
            Qt::DirectConnection);
    connect(FileSearch1.get(), &TFileSearch::OnComplete, FileSearch1.get(),
            [this](QObject* sender) { FileSearch1Complete(sender); }, Qt::DirectConnection);
    // The walkers read each project while its folder is open; the match handler takes it.
    FileSearch1->setMatchReader([scan = m_scan.get()](const catalogue::MatchedEntry& match) { return scan->prepare(match); });
    connect(SButScan, &QToolButton::clicked, this, &TForm1::SButScanClick);
}

void TForm1::stopFileSearch()
{
    // No handler runs after this; a scan cut short still leaves an ordered list.
    FileSearch1.reset();
    if (m_scan)
        m_scan->flush();
    if (m_scanning)
        finishScan(m_scan->excludedCount());
}

void TForm1::setToolBarScanning(bool scanning)
{
    // During a scan every tool button but the scan button is off; that one stops it.
    for (QToolButton* button : PanelTop->findChildren<QToolButton*>())
        button->setEnabled(!scanning || button == SButScan);
    SButScan->setText(scanning ? tr("停止") : tr("掃描"));
}

void TForm1::SButScanClick()
{
    if (m_scanning) {
        SButScanStopClick();
        return;
    }
    const bool applyExclusions = !(Form2 && Form2->CBoxDisableExcludedFolders->isChecked());
    // The options dialog's check box as it stands; off, the scan is one of Delphi projects alone.
    const bool lazarus = Form2 ? Form2->CBoxLazarusProjects->isChecked() : Settings->read(settings::options::CBoxLazarusProjects);
    if (!FileSearch1)
        return; // the window is closing
    const QString root = LabelRoot->text();
    if (root.isEmpty() || !platform::isFolder(root)) {
        platform::dialogs().message(this, tr("First select a root directory."));
        SButSetRootClick();
        return;
    }
    // The scan rebuilds the list; following starts again from its result. What following
    // knew is freed once the walk is under way.
    std::unique_ptr<catalogue::LiveCatalogue> paused = pauseFollowing();
    setToolBarScanning(true);
    m_scanStopped = false;

    ScanExclusions exclusions;
    if (applyExclusions && Settings->read(settings::exclude::number) >= 0) {
        // Entries past the last stored key would be empty, and an empty entry excludes nothing.
        exclusions.entries = readExcludedFolders(*Settings, 0);
        exclusions.active = true;
    }
    ExcludedFolders = exclusions.entries;
    // The walk starts first and the window makes ready meanwhile: what the walk finds
    // waits until the list is empty, painted and frozen.
    m_scan->begin(root, std::move(exclusions));
    FileSearch1->setInitialDir(root);
    FileSearch1->setFileMask(lazarus ? QStringLiteral("*.dpr;*.lpi") : QStringLiteral("*.dpr"));
    FileSearch1->setSearchSubDirectories(true);
    FileSearch1->Start();
    paused.reset();
    // Scanning from here on: a click on the scan button while the list is painted stops it.
    m_scanning = true;
    // Busy, not waiting: the scan button still takes a click.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    status->setPanelText(1, QString());
    status->setPanelText(2, QString());

    // The old rows go at once, but are freed only after the scan: a large list takes a
    // while to free, and now the walk needs the processor.
    m_replacedRows = lview->takeAllRows();
    QCoreApplication::processEvents();
    if (!m_scanning)
        return; // the window closed meanwhile and ended the scan
    lview->beginBatch();
    m_scan->release();
}

void TForm1::FileSearch1Progress(QObject*, const QString& SearchDir, const QString&) { m_scan->progress(SearchDir); }

void TForm1::FileSearch1MatchFound(QObject* Sender, qint32, qint32, qint32, const QString& FileName)
{
    const auto* search = qobject_cast<TFileSearchThread*>(Sender);
    m_scan->matchFound(FileName, search ? search->matchNote() : nullptr);
}

void TForm1::FileSearch1Complete(QObject*) { m_scan->complete(); }

void TForm1::finishScan(int excludedCount)
{
    if (!m_scanning)
        return;
    m_scanning = false;
    lview->endBatch();
    status->setPanelText(0, m_scanStopped ? ScanRun::stoppedText(lview->allRowCount())
                                          : ScanRun::completedText(excludedCount));
    QApplication::restoreOverrideCursor();
    setToolBarScanning(false);
    showProjectCount();
    if (FileSearch1) { // not when the window is closing
        // Following and marking start once the finished list is on screen: its repaint
        // waits in the event queue at low priority, and this waits behind it.
        QCoreApplication::postEvent(this, new AfterScanEvent(++m_scansFinished), Qt::LowEventPriority);
    }
}

void TForm1::customEvent(QEvent* event)
{
    if (event->type() != AfterScanEvent::Type) {
        QWidget::customEvent(event);
        return;
    }
    if (!m_scanning)
        m_replacedRows.clear();
    // Not for a scan that another has followed, nor while the window closes.
    if (static_cast<AfterScanEvent*>(event)->scan == m_scansFinished && !m_scanning && FileSearch1) {
        startFollowing();
        markAllRows();
    }
}

void TForm1::SButScanStopClick()
{
    // The rows found so far stay; the search reports its end as usual.
    if (!m_scanning || !FileSearch1)
        return;
    m_scanStopped = true;
    FileSearch1->Stop();
}

int TForm1::ExcludedCount() const { return m_scan->excludedCount(); }
