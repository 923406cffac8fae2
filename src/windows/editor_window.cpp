#include "windows/editor_window.h"

#include "windows/twips.h"

namespace windows {

EditorWindow::EditorWindow(const sheet::SheetFormat& format, QWidget* parent)
    : QMainWindow(parent), sheet_(format)
{
    setObjectName(QString::fromUtf8(format.windowName));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(px(11880), px(8595));
    setCentralWidget(client);
    startUp();
}

QString EditorWindow::startupTitle() const
{
    return sheet_.format().isLarge() ? QStringLiteral("大きい棚札  ") : QStringLiteral("小さい棚札  ");
}

void EditorWindow::startUp()
{
    sheet_.clearAll();
    sheet_.current = 1;
    sheet_.marginLeft = sheet_.format().defaultMarginLeftMm;
    sheet_.marginTop = sheet_.format().defaultMarginTopMm;
    sheet_.printOffsetX = 0;
    sheet_.printOffsetY = 0;
    sheet_.fileName = sheet::kUntitled;
    sheet_.nameFont = sheet::kMincho;
    sheet_.priceFont = sheet::kMincho;
    sheet_.priceFontSize = sheet_.format().defaultPriceFontSizePt;
    sheet_.bordered = false;
    updateCaption(startupTitle());
}

void EditorWindow::updateCaption(const QString& title)
{
    setWindowTitle(title + sheet_.fileName);
}

}  // namespace windows
