#include "desktop/launcher/launcher_window.h"

#include "core/sheet/tag_sheet.h"
#include "desktop/button_keys.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/launcher/user_guide.h"
#include "desktop/twips.h"
#include "desktop/window_registry.h"

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace desktop {

QString LauncherWindow::supportAddress()
{
    return userGuideAddress();
}

QString LauncherWindow::supportTitle()
{
    return QStringLiteral("使い方ガイド");
}

QString LauncherWindow::creditsText()
{
    return QStringList {
        QStringLiteral("PURIKORA"),           QStringLiteral("プリコラ７．０"),     QStringLiteral("A4サイズ判使用"),
        QStringLiteral("お店屋さんが作った"), QStringLiteral("店内サポートツール"), QString(),
        QStringLiteral("６Ｘ３ＣＭと"),       QStringLiteral("３Ｘ３ＣＭの"),       QStringLiteral("バコード付きの"),
        QStringLiteral("棚札が作成できます"),
    }
        .join(QStringLiteral("\r\n"));
}

// The credits strip: keeps the text drawn once into its own image and repaints that image.
class CreditsStrip : public QWidget {
public:
    explicit CreditsStrip(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Picture2"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    static QFont fontFor(int pointSize)
    {
        QFont f;
        f.setPointSize(pointSize);
        f.setBold(true);
        return f;
    }

    static QStringList lines() { return LauncherWindow::creditsText().split(QStringLiteral("\r\n")); }

    // Size of the whole text in twips: the widest line, and the line height times the lines.
    static CreditsRoll::Size measure(int pointSize)
    {
        const QFontMetrics fm(fontFor(pointSize));
        int widest = 0;
        const QStringList all = lines();
        for (const QString& line : all) {
            widest = std::max(widest, fm.horizontalAdvance(line));
        }
        return {widest * kTwipsPerPixel, int(all.size()) * fm.height() * kTwipsPerPixel};
    }

    // The text in `pointSize` on `background`, drawn into the strip's image when the strip is
    // next painted: the strip starts below the panel, out of sight, so the launcher opens without
    // waiting for 50-point glyphs that are not seen yet.
    void render(int pointSize, const QColor& background)
    {
        pointSize_ = pointSize;
        background_ = background;
        image_ = QPixmap();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (image_.isNull()) {
            drawImage();
        }
        QPainter p(this);
        p.drawPixmap(0, 0, image_);
    }

private:
    void drawImage()
    {
        const QFont f = fontFor(pointSize_);
        const QFontMetrics fm(f);
        image_ = QPixmap(size());
        image_.fill(background_);
        QPainter p(&image_);
        p.setFont(f);
        p.setPen(QColor(0, 255, 0));
        int y = fm.ascent();
        for (const QString& line : lines()) {
            p.drawText(0, y, line);
            y += fm.height();
        }
    }

    int pointSize_ = CreditsRoll::kFirstPassPt;
    QColor background_;
    QPixmap image_;
};

LauncherWindow::LauncherWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("プリコラ８．０"));

    auto* client = new QWidget(this);
    client->setFixedSize(px(11805), px(8130));
    setCentralWidget(client);

    auto* helpAction = menuBar()->addAction(QStringLiteral("使い方"));
    helpAction->setObjectName(QStringLiteral("HELP1"));
    connect(helpAction, &QAction::triggered, this, [] { showHelp(); });
    auto* catalogueAction = menuBar()->addAction(QStringLiteral("商品マスタ(&M)..."));
    catalogueAction->setObjectName(QStringLiteral("catalogueMenu"));
    connect(catalogueAction, &QAction::triggered, this, [] { showCatalogue(); });

    // The guide's short title; the address itself is in the tool tip.
    supportButton_ = new QPushButton(supportTitle(), client);
    supportButton_->setObjectName(QStringLiteral("Command5"));
    supportButton_->setToolTip(supportAddress());
    supportButton_->setGeometry(twipsRect(4080, 240, 3015, 255));
    widenToFit(supportButton_);
    connect(supportButton_, &QPushButton::clicked, this, [this] {
        desktop::QtDialogs dialogs;
        openUserGuide(this, supportButton_->toolTip(), dialogs);
    });

    creditsPanel_ = new QFrame(client);
    creditsPanel_->setObjectName(QStringLiteral("Picture1"));
    creditsPanel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    creditsPanel_->setLineWidth(1);
    creditsPanel_->setGeometry(twipsRect(233, 960, 11415, 6015));
    QPalette pal = creditsPanel_->palette();
    pal.setColor(QPalette::Window, QColor(224, 224, 224));
    creditsPanel_->setPalette(pal);
    creditsPanel_->setAutoFillBackground(true);

    // The strip lives in a clipping viewport that is exactly the panel's client area.
    auto* viewport = new QWidget(creditsPanel_);
    viewport->setGeometry(creditsPanel_->contentsRect());
    creditsStrip_ = new CreditsStrip(viewport);
    creditsStrip_->hide();

    auto* largeEditorButton = new QPushButton(QStringLiteral("大きい棚札作成"), client);
    largeEditorButton->setObjectName(QStringLiteral("Command1"));
    largeEditorButton->setGeometry(twipsRect(1200, 7080, 1935, 855));
    connect(largeEditorButton, &QPushButton::clicked, this, [] { showEditor(sheet::SheetFormat::large); });

    auto* smallEditorButton = new QPushButton(QStringLiteral("小さい棚札作成"), client);
    smallEditorButton->setObjectName(QStringLiteral("Command2"));
    smallEditorButton->setGeometry(twipsRect(4440, 7320, 2175, 495));
    connect(smallEditorButton, &QPushButton::clicked, this, [] { showEditor(sheet::SheetFormat::small); });

    auto* exitButton = new QPushButton(QStringLiteral("終了"), client);
    exitButton->setObjectName(QStringLiteral("Command4"));
    exitButton->setGeometry(twipsRect(8880, 7200, 1455, 495));
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);

    for (auto* button : {supportButton_, largeEditorButton, smallEditorButton, exitButton}) {
        pressOnEnter(button);
    }
    setTabOrder(largeEditorButton, smallEditorButton);
    setTabOrder(smallEditorButton, exitButton);
    setTabOrder(exitButton, supportButton_);
    // The window opens with the first button of the Tab order focused, so that Enter at start
    // opens the large-tag editor rather than the guide.
    largeEditorButton->setFocus(Qt::OtherFocusReason);

    creditsTimer_ = new QTimer(this);
    creditsTimer_->setObjectName(QStringLiteral("Timer1"));
    creditsTimer_->setInterval(CreditsRoll::kIntervalMs);
    connect(creditsTimer_, &QTimer::timeout, this, &LauncherWindow::advanceCredits);

    const QRect panel = creditsPanel_->contentsRect();
    roll_ = std::make_unique<CreditsRoll>(panel.width() * kTwipsPerPixel, panel.height() * kTwipsPerPixel,
                                          &CreditsStrip::measure);
    // The strip waits out of sight below the panel: it is measured, drawn and placed at the first
    // tick, once the window is up.
    roll_->start();
    creditsTimer_->start();
}

LauncherWindow::~LauncherWindow() = default;

void LauncherWindow::placeStrip()
{
    creditsStrip_->hide();
    creditsStrip_->setGeometry(pxFloor(roll_->left()), pxFloor(roll_->top()), px(roll_->width()), px(roll_->height()));
    creditsStrip_->render(roll_->pointSize(), QColor(224, 224, 224));
    creditsStrip_->show();
}

void LauncherWindow::advanceCredits()
{
    const int passesBefore = roll_->passes();
    if (!roll_->tick()) {
        creditsTimer_->stop();
        return;
    }
    if (roll_->passes() != passesBefore || !creditsStrip_->isVisibleTo(creditsPanel_)) {
        placeStrip();
    } else {
        creditsStrip_->move(pxFloor(roll_->left()), pxFloor(roll_->top()));
    }
}

}  // namespace desktop
