#pragma once
// Duvane's one dialog: shows which legacy port (COM1 or COM2) the RS-485 port driver is
// set to use and writes a new choice into the driver's registry setting.
#include "messageboxes.h"
#include "registrystore.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;

namespace duvane {

class PortSelectDialog : public QDialog
{
    Q_OBJECT
public:
    PortSelectDialog(RegistryStore& registry, MessageBoxes& boxes, QWidget* parent = nullptr);

private:
    void preselect();
    void onOk();
    void onReadCurrent();
    void onDoubleClicked(QListWidgetItem* item);
    void showAbout();

    // Confirms, writes the choice at this list position, and closes on success.
    void applyChoice(int position);
    int selectedPosition() const; // -1 when nothing is selected
    void selectPosition(int position);
    void showError(const QString& text);

#ifdef Q_OS_WIN
    void addAboutToSystemMenu();
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

    RegistryStore& m_registry;
    MessageBoxes& m_boxes;
    QListWidget* m_list = nullptr;
};

} // namespace duvane
