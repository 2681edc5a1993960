#pragma once
// Answers Duvane's boxes in tests: records every box and answers from a script (OK when
// the script is empty), and records what a modal dialog showed instead of running it.
#include "messageboxes.h"

#include <QStringList>
#include <deque>
#include <vector>

struct ShownDialog
{
    QString caption;
    QStringList labels;  // texts of its labels
    QStringList buttons; // texts of its push buttons
    bool hasPixmap = false;
    QWidget* owner = nullptr;
};

class ScriptedBoxes : public duvane::MessageBoxes
{
public:
    QMessageBox::StandardButton ask(const duvane::MessageBoxRequest& request) override;
    int run(QDialog& dialog) override;

    std::deque<QMessageBox::StandardButton> answers;
    std::vector<duvane::MessageBoxRequest> asked;
    std::vector<ShownDialog> dialogs;
};
