#include "windows/launcher_window.h"

#include "platform/shell.h"
#include "sheet/tag_sheet.h"
#include "windows/twips.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace windows {

const QString LauncherWindow::kSupportAddress = QStringLiteral("https://tanafuda.example/");

QString LauncherWindow::creditsText()
{
    return QStringList{
        QStringLiteral("PURIKORA"),
        QStringLiteral("プリコラ７．０"),
        QStringLiteral("A4サイズ判使用"),
        QStringLiteral("お店屋さんが作った"),
        QStringLiteral("店内サポートツール"),
        QString(),
        QStringLiteral("６Ｘ３ＣＭと"),
        QStringLiteral("３Ｘ３ＣＭの"),
        QStringLiteral("バコード付きの"),
        QStringLiteral("棚札が作成できます"),
    }.join(QStringLiteral("\r\n"));
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

    void render(int pointSize, const QColor& background)
    {
        const QFont f = fontFor(pointSize);
        const QFontMetrics fm(f);
        image_ = QPixmap(size());
        image_.fill(background);
        QPainter p(&image_);
        p.setFont(f);
        p.setPen(QColor(0, 255, 0));
        int y = fm.ascent();
        for (const QString& line : lines()) {
            p.drawText(0, y, line);
            y += fm.height();
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, image_);
    }

private:
    QPixmap image_;
};

LauncherWindow::LauncherWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("プリコラ８．０"));

    auto* client = new QWidget(this);
    client->setFixedSize(px(11805), px(8130));
    setCentralWidget(client);

    auto* help1 = menuBar()->addAction(QStringLiteral("使い方"));
    help1->setObjectName(QStringLiteral("HELP1"));
    connect(help1, &QAction::triggered, this, [] { showHelp(); });

    command5_ = new QPushButton(kSupportAddress, client);
    command5_->setObjectName(QStringLiteral("Command5"));
    command5_->setGeometry(twipsRect(4080, 240, 3015, 255));
    widenToFit(command5_);
    connect(command5_, &QPushButton::clicked, this, [this] { platform::shellOpen(command5_->text()); });

    picture1_ = new QFrame(client);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setFrameStyle(QFrame::Box | QFrame::Plain);
    picture1_->setLineWidth(1);
    picture1_->setGeometry(twipsRect(233, 960, 11415, 6015));
    QPalette pal = picture1_->palette();
    pal.setColor(QPalette::Window, QColor(224, 224, 224));
    picture1_->setPalette(pal);
    picture1_->setAutoFillBackground(true);

    // The strip lives in a clipping viewport that is exactly the panel's client area.
    auto* viewport = new QWidget(picture1_);
    viewport->setGeometry(picture1_->contentsRect());
    picture2_ = new CreditsStrip(viewport);
    picture2_->hide();

    auto* command1 = new QPushButton(QStringLiteral("大きい棚札作成"), client);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setGeometry(twipsRect(1200, 7080, 1935, 855));
    connect(command1, &QPushButton::clicked, this, [] { showEditor(sheet::SheetFormat::large); });

    auto* command2 = new QPushButton(QStringLiteral("小さい棚札作成"), client);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setGeometry(twipsRect(4440, 7320, 2175, 495));
    connect(command2, &QPushButton::clicked, this, [] { showEditor(sheet::SheetFormat::small); });

    auto* command4 = new QPushButton(QStringLiteral("終了"), client);
    command4->setObjectName(QStringLiteral("Command4"));
    command4->setGeometry(twipsRect(8880, 7200, 1455, 495));
    connect(command4, &QPushButton::clicked, this, &QWidget::close);

    setTabOrder(command1, command2);
    setTabOrder(command2, command4);
    setTabOrder(command4, command5_);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(CreditsRoll::kIntervalMs);
    connect(timer1_, &QTimer::timeout, this, &LauncherWindow::advanceCredits);

    const QRect panel = picture1_->contentsRect();
    roll_ = std::make_unique<CreditsRoll>(panel.width() * kTwipsPerPixel, panel.height() * kTwipsPerPixel,
                                          &CreditsStrip::measure);
    roll_->start();
    placeStrip();
    timer1_->start();
}

LauncherWindow::~LauncherWindow() = default;

void LauncherWindow::placeStrip()
{
    picture2_->hide();
    picture2_->setGeometry(pxFloor(roll_->left()), pxFloor(roll_->top()), px(roll_->width()),
                           px(roll_->height()));
    picture2_->render(roll_->pointSize(), QColor(224, 224, 224));
    picture2_->show();
}

void LauncherWindow::advanceCredits()
{
    const int passesBefore = roll_->passes();
    if (!roll_->tick()) {
        timer1_->stop();
        return;
    }
    if (roll_->passes() != passesBefore) {
        placeStrip();
    } else {
        picture2_->move(pxFloor(roll_->left()), pxFloor(roll_->top()));
    }
}

}  // namespace windows
