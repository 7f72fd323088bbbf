// The about box: the program's name and version, its copyright and its link. One at a time in the
// whole program, modeless and without an owner.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "model/language_texts.h"

namespace tavrin::app {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // Shows the about box unless one is open already; false then.
    static bool Open(model::LanguageTexts& texts, const QString& link, std::function<void()> help);
    // Closes the open one, if any.
    static void CloseOpen();
    static CAboutDlg* Current();

    void Relabel(model::LanguageTexts& texts, int languageIndex);
    const QLabel& Version() const { return *version_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CAboutDlg(const QString& link, std::function<void()> help);

    QLabel* version_;
    QLabel* copyright_;
    QLabel* link_;
    QPushButton* ok_;
    std::function<void()> help_;
};

}  // namespace tavrin::app
