#pragma once

#include "sheet/tag_sheet.h"

#include <QMainWindow>

namespace windows {

// The editor of one tag format: "大きい棚札" for large tags, "小棚札" for small ones. One class
// serves both; every difference is read from the sheet's format. The window owns its sheet from
// start-up to closing.
class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit EditorWindow(const sheet::SheetFormat& format, QWidget* parent = nullptr);

    sheet::TagSheet& sheet() { return sheet_; }
    const sheet::TagSheet& sheet() const { return sheet_; }

    // "大きい棚札  " / "小さい棚札  " at start-up.
    QString startupTitle() const;

private:
    // What the window does when it is loaded: the sheet emptied and its defaults set, the caption.
    void startUp();
    void updateCaption(const QString& title);

    sheet::TagSheet sheet_;
};

}  // namespace windows
