#include "portselectdialog.h"

#include "aboutbox.h"
#include "programicon.h"
#include "rs485setting.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace duvane {
namespace {

constexpr int kPositionRole = Qt::UserRole;
const QString kAboutText = QStringLiteral("&About Duvane...");

#ifdef Q_OS_WIN
// System menu command ids must lie below 0xF000 with the low four bits clear.
constexpr UINT kAboutCommand = 0x0010;
#endif

QString EntryText(int position)
{
    return QString::fromLatin1(kPortChoices[static_cast<std::size_t>(position)].text);
}

} // namespace

PortSelectDialog::PortSelectDialog(RegistryStore& registry, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), m_registry(registry), m_boxes(boxes)
{
    setObjectName(QStringLiteral("portSelectDialog"));
    setWindowTitle(QStringLiteral("Duvane"));
    setWindowIcon(ProgramIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* label = new QLabel(QStringLiteral("RS-485 Comm Ports "), this);
    label->setObjectName(QStringLiteral("portLabel"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("portList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(true);
    for (int position = 0; position < static_cast<int>(kPortChoices.size()); ++position) {
        auto* item = new QListWidgetItem(EntryText(position));
        item->setData(kPositionRole, position);
        m_list->addItem(item);
    }
    // Room for the two entries and a little more, as a list box, not a growing view.
    const int rowHeight = m_list->sizeHintForRow(0);
    m_list->setFixedHeight(rowHeight * 3 + 2 * m_list->frameWidth());
    m_list->setMinimumWidth(m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() + 24);
    label->setBuddy(m_list);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* readCurrent = new QPushButton(QStringLiteral("Read Current"), this);
    readCurrent->setObjectName(QStringLiteral("readCurrentButton"));
    readCurrent->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);

    auto* hintSelect = new QLabel(QStringLiteral("Select port from above list and select OK"), this);
    hintSelect->setObjectName(QStringLiteral("hintSelect"));
    auto* hintRead = new QLabel(QStringLiteral("Read Current to view current port settings."), this);
    hintRead->setObjectName(QStringLiteral("hintReadCurrent"));

    // One width for the column of buttons, with room around the longest caption.
    int buttonWidth = 0;
    for (QPushButton* button : {ok, readCurrent, cancel})
        buttonWidth = std::max(buttonWidth, button->sizeHint().width() + 16);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ok, readCurrent, cancel}) {
        button->setFixedWidth(buttonWidth);
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_list, 1, 0);
    grid->addLayout(buttons, 0, 1, 2, 1);
    grid->addWidget(hintSelect, 2, 0, 1, 2);
    grid->addWidget(hintRead, 3, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &PortSelectDialog::onOk);
    connect(readCurrent, &QPushButton::clicked, this, &PortSelectDialog::onReadCurrent);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &PortSelectDialog::onDoubleClicked);

    // There is no system menu to extend outside Windows: the About item sits in the
    // dialog's context menu there (and on Windows as well).
    auto* about = new QAction(kAboutText, this);
    about->setObjectName(QStringLiteral("aboutAction"));
    connect(about, &QAction::triggered, this, &PortSelectDialog::showAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
#ifdef Q_OS_WIN
    addAboutToSystemMenu();
#endif

    preselect();
}

void PortSelectDialog::preselect()
{
    // Whatever goes wrong here (no key, no rights, no value, another value) simply leaves
    // the list unselected; the user finds out more with Read Current.
    auto key = m_registry.openKey(kRs485KeyPath);
    std::uint32_t address = 0;
    if (!key || !key->readDword(kRs485ValueName, address)) return;
    if (const auto position = PositionForAddress(address)) selectPosition(*position);
}

void PortSelectDialog::onOk()
{
    const int position = selectedPosition();
    if (position < 0) {
        showError(QStringLiteral("A port must be selected from list"));
        return;
    }
    applyChoice(position);
}

void PortSelectDialog::onDoubleClicked(QListWidgetItem* item)
{
    if (item) applyChoice(item->data(kPositionRole).toInt());
}

void PortSelectDialog::applyChoice(int position)
{
    const PortChoice& choice = kPortChoices[static_cast<std::size_t>(position)];
    const auto answer =
        m_boxes.ask(ConfirmationBox(this, QStringLiteral("Do you wish to use:  ") + EntryText(position)));
    if (answer != QMessageBox::Ok) return;

    {
        auto key = m_registry.openKey(kRs485KeyPath);
        if (!key) key = m_registry.createKey(kRs485KeyPath);
        if (!key) {
            showError(QStringLiteral("Cannot create registry key"));
            return;
        }
        if (!key->writeDword(kRs485ValueName, choice.address)) {
            showError(QStringLiteral("Cannot write value in registry"));
            return;
        }
    } // the key is closed here, before the user is told
    m_boxes.ask(InformationBox(this, QStringLiteral("RS-485 Port setting updated")));
    accept();
}

void PortSelectDialog::onReadCurrent()
{
    std::uint32_t address = 0;
    {
        auto key = m_registry.openKey(kRs485KeyPath);
        if (!key) {
            showError(QStringLiteral("Cannot open key in registry"));
            return;
        }
        if (!key->readDword(kRs485ValueName, address)) {
            showError(QStringLiteral("Cannot open value in registry"));
            return;
        }
    }
    QString text = QStringLiteral("Current port setting:  ");
    if (const auto position = PositionForAddress(address)) {
        text += EntryText(*position);
        selectPosition(*position);
    } else {
        text += QStringLiteral("Uknown port number");
    }
    text += QStringLiteral("\n\nPress OK to continue.");
    m_boxes.ask(InformationBox(this, text));
}

void PortSelectDialog::showAbout()
{
    AboutBox about(this);
    m_boxes.run(about);
}

int PortSelectDialog::selectedPosition() const
{
    const auto selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->data(kPositionRole).toInt();
}

void PortSelectDialog::selectPosition(int position)
{
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        if (item->data(kPositionRole).toInt() == position) {
            m_list->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
            m_list->scrollToItem(item);
            return;
        }
    }
}

void PortSelectDialog::showError(const QString& text)
{
    m_boxes.ask(ErrorBox(this, text));
}

#ifdef Q_OS_WIN
void PortSelectDialog::addAboutToSystemMenu()
{
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (!menu) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutCommand, reinterpret_cast<LPCWSTR>(kAboutText.utf16()));
}

bool PortSelectDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand) {
        showAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

} // namespace duvane
