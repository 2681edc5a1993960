#pragma once
// TLogForm, "Logger Window": what the link engine reports about every exchange
// (communication list) and the errors and notices of the logger reader (error list).
// Entries that arrive while the window is hidden are dropped.
#include <QDateTime>
#include <QWidget>

class QTabWidget;
class QTableView;
class QToolButton;

namespace quentry {

class TLogEntryModel;
class TMessageService;

class TLogForm final : public QWidget
{
    Q_OBJECT
public:
    // messages, when given, asks for the file name of "Save".
    explicit TLogForm(TMessageService* messages = nullptr, QWidget* parent = nullptr);
    ~TLogForm() override;

    bool IsFullLog = false; // the "/l" switch; kept for the main window, not consulted here

    void Add(const QString& classstr, const QString& str);
    void Add(const QDateTime& f_Timestamp, const QString& classstr, const QString& str);
    void Elog_Add(const QString& classstr, const QString& str);
    void Elog_Add(const QDateTime& f_Timestamp, const QString& classstr, const QString& str);
    void Clr();
    void Elog_Clr();
    void HideErrorView();
    void ShowErrorView();
    bool ErrorLogVisible() const { return FErrorLogVisible; }

    const TLogEntryModel& CommunicationList() const { return *FComModel; }
    const TLogEntryModel& ErrorList() const { return *FErrModel; }

    // Both lists as text, one entry a line, communication list first.
    bool SaveToFile(const QString& path, QString* error = nullptr) const;
    // "Save": asks for a file and writes it; errors are shown.
    void SaveClick();

private:
    QTableView* makeList(TLogEntryModel* model, int secondWidth, const QString& name);
    void onPageChanged(int index);

    TMessageService* FMessages;
    TLogEntryModel* FComModel;
    TLogEntryModel* FErrModel;
    QTabWidget* FPages;
    QTableView* FComList;
    QTableView* FErrList;
    QWidget* FErrPage;
    QToolButton* FSave;
    bool FErrorLogVisible = true;
};

} // namespace quentry
