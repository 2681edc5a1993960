#include "logform.h"

#include "logentrymodel.h"
#include "messageservice.h"

#include <QAction>
#include <QFile>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QMenu>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableView>
#include <QTextStream>
#include <QToolButton>
#include <QVBoxLayout>

namespace quentry {
namespace {

constexpr int kTimeWidth = 70;

// "Courier New" where it is installed, else the system's fixed font, at 8 points.
QFont ListFont()
{
    QFont f(QStringLiteral("Courier New"), 8);
    f.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(f).fixedPitch()) return f;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    return fixed;
}

void WriteList(QTextStream& out, const QString& title, const TLogEntryModel& list)
{
    out << title << '\n';
    for (int i = 0; i < list.count(); ++i) {
        const TLogEntry& e = list.entry(i);
        out << e.time << '\t' << e.classText << '\t' << e.message << '\n';
    }
}

} // namespace

TLogForm::TLogForm(TMessageService* messages, QWidget* parent)
    : QWidget(parent, Qt::Tool), FMessages(messages)
{
    setObjectName(QStringLiteral("LogForm"));
    setWindowTitle(QStringLiteral("Logger Window"));
    // A tool window beside the main window: closing it only hides it, and it never keeps
    // the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);

    FComModel = new TLogEntryModel(QStringLiteral("Class"), this);
    FErrModel = new TLogEntryModel(QStringLiteral("Source"), this);

    FPages = new QTabWidget(this);
    FPages->setObjectName(QStringLiteral("PageControl1"));
    FComList = makeList(FComModel, 70, QStringLiteral("ListViewComLog"));
    FErrList = makeList(FErrModel, 100, QStringLiteral("ListViewErrorLog"));
    FErrPage = FErrList;
    FPages->addTab(FComList, QStringLiteral("Communication Log."));
    FPages->addTab(FErrList, QStringLiteral("Error Log."));
    connect(FPages, &QTabWidget::currentChanged, this, &TLogForm::onPageChanged);

    // "Clear" of the communication list, and of the page area, which serves the error list.
    FComList->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* clearCom = new QAction(QStringLiteral("Clear"), FComList);
    clearCom->setObjectName(QStringLiteral("ClearComLog"));
    connect(clearCom, &QAction::triggered, this, &TLogForm::Clr);
    FComList->addAction(clearCom);
    FErrList->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* clearErr = new QAction(QStringLiteral("Clear"), FErrList);
    clearErr->setObjectName(QStringLiteral("ClearErrorLog"));
    connect(clearErr, &QAction::triggered, this, &TLogForm::Elog_Clr);
    FErrList->addAction(clearErr);

    FSave = new QToolButton(FPages);
    FSave->setObjectName(QStringLiteral("ButtonSave"));
    FSave->setText(QStringLiteral("Save"));
    FSave->setAutoRaise(true);
    connect(FSave, &QToolButton::clicked, this, &TLogForm::SaveClick);
    FPages->setCornerWidget(FSave, Qt::TopRightCorner);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FPages);
    resize(860, 148);

    // FormCreate: first page, both lists empty (the clearing notices are dropped: hidden).
    FPages->setCurrentIndex(0);
    Clr();
    Elog_Clr();
}

TLogForm::~TLogForm() = default;

QTableView* TLogForm::makeList(TLogEntryModel* model, int secondWidth, const QString& name)
{
    auto* list = new QTableView(this);
    list->setObjectName(name);
    list->setModel(model);
    list->setFont(ListFont());
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->verticalHeader()->hide();
    // Fixed row heights: appending never re-measures the rows already there.
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(QFontMetrics(list->font()).height() + 2);
    list->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    list->horizontalHeader()->setHighlightSections(false);
    list->setColumnWidth(0, kTimeWidth);
    list->setColumnWidth(1, secondWidth);
    // The message takes what the first two columns leave of the list's width, at every size.
    list->horizontalHeader()->setStretchLastSection(true);
    return list;
}

void TLogForm::Add(const QString& classstr, const QString& str)
{
    Add(QDateTime::currentDateTime(), classstr, str);
}

void TLogForm::Add(const QDateTime& f_Timestamp, const QString& classstr, const QString& str)
{
    if (!isVisible()) return;
    FComModel->append(f_Timestamp, classstr, str);
    FComList->scrollToBottom();
    if (classstr == QLatin1String("COMLOG") || classstr == QLatin1String("FERR") || classstr == QLatin1String("ERR"))
        Elog_Add(f_Timestamp, classstr, str);
}

void TLogForm::Elog_Add(const QString& classstr, const QString& str)
{
    Elog_Add(QDateTime::currentDateTime(), classstr, str);
}

void TLogForm::Elog_Add(const QDateTime& f_Timestamp, const QString& classstr, const QString& str)
{
    if (!isVisible()) return;
    FErrModel->append(f_Timestamp, classstr, str);
    FErrList->scrollToBottom();
}

void TLogForm::Clr()
{
    FComModel->clear();
    Add(QStringLiteral("COMLOG"), QStringLiteral("Logger window cleared."));
}

void TLogForm::Elog_Clr()
{
    FErrModel->clear();
    Elog_Add(QStringLiteral("ERRORLOG"), QStringLiteral("Logger window cleared."));
}

void TLogForm::HideErrorView()
{
    FPages->setTabVisible(1, false);
    FPages->setTabEnabled(1, false);
    FErrorLogVisible = false;
    FPages->setCurrentIndex(0);
}

void TLogForm::ShowErrorView()
{
    FPages->setTabVisible(1, true);
    FPages->setTabEnabled(1, true);
    FErrorLogVisible = true;
    Elog_Clr();
}

void TLogForm::onPageChanged(int index)
{
    if (!FErrorLogVisible && index != 0) FPages->setCurrentIndex(0);
}

bool TLogForm::SaveToFile(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error) *error = file.errorString();
        return false;
    }
    QTextStream out(&file);
    WriteList(out, QStringLiteral("Communication Log."), *FComModel);
    out << '\n';
    WriteList(out, QStringLiteral("Error Log."), *FErrModel);
    out.flush();
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

void TLogForm::SaveClick()
{
    if (!FMessages) return;
    QFileDialog dialog(this, QStringLiteral("Save Log"));
    dialog.setObjectName(QStringLiteral("SaveLogDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Text files (*.txt);;All files (*)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(FMessages->fileDialogFolder());
    dialog.selectFile(QStringLiteral("Quentry-log.txt"));
    if (FMessages->exec(dialog, TCentre::Screen) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    FMessages->noteFileUsed(path);
    QString why;
    if (!SaveToFile(path, &why))
        FMessages->error(QStringLiteral("The log could not be saved to %1!\r\n%2").arg(QDir::toNativeSeparators(path), why));
}

} // namespace quentry
