#pragma once

#include "desktop/launcher/credits_roll.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QFrame;
class QPushButton;
class QTimer;

namespace desktop {

class CreditsStrip;

// The first window: the title, the rolling credits, the support-page address and the buttons that
// open the two editors.
class LauncherWindow : public QMainWindow {
    Q_OBJECT
public:
    // The address of the user guide, Command5's tool tip; a click opens whatever the tool tip holds.
    static QString supportAddress();
    // Command5's caption: the guide's short title.
    static QString supportTitle();
    // The ten lines of the credits, joined by CR LF.
    static QString creditsText();

    explicit LauncherWindow(QWidget* parent = nullptr);
    ~LauncherWindow() override;

    const CreditsRoll& credits() const { return *roll_; }
    QTimer* timer() const { return creditsTimer_; }

public slots:
    // One tick of Timer1: moves the strip, restarts it in the small font, or stops the roll.
    void advanceCredits();

private:
    void placeStrip();

    QFrame* creditsPanel_;
    CreditsStrip* creditsStrip_;
    QTimer* creditsTimer_;
    QPushButton* supportButton_;
    std::unique_ptr<CreditsRoll> roll_;
};

}  // namespace desktop
