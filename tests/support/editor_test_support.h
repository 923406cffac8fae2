#pragma once

// Driving an editor window as a user would: the window shown and active, keys sent to whichever
// control has the focus, clicks through the window system.

#include "core/sheet/tag_sheet.h"
#include "desktop/dialogs/import_dialog.h"
#include "desktop/editor/edit_box.h"
#include "desktop/editor/editor_window.h"
#include "desktop/editor/preview_pane.h"
#include "support/fake_dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace editor_test {

inline const sheet::SheetFormat* const kFormats[] = {&sheet::SheetFormat::large, &sheet::SheetFormat::small};

inline QString formatName(const sheet::SheetFormat& format)
{
    return format.isLarge() ? QStringLiteral("large") : QStringLiteral("small");
}

// An editor window with fake dialogs, shown and active, the JAN box's first turn done.
struct OpenEditor {
    FakeDialogs dialogs;
    std::unique_ptr<desktop::EditorWindow> window;

    explicit OpenEditor(const sheet::SheetFormat& format)
        : window(std::make_unique<desktop::EditorWindow>(format, dialogs))
    {
        window->show();
        window->activateWindow();
        activated = QTest::qWaitForWindowActive(window.get());
    }
    ~OpenEditor()
    {
        window->close();
        window.reset();
        QApplication::processEvents();
    }

    bool activated = false;

    desktop::EditorWindow& w() { return *window; }
    sheet::TagSheet& sheet() { return window->sheet(); }
    desktop::EditBox* box(sheet::Field field) { return window->box(field); }
    QString label6() { return window->control<QLabel>(QStringLiteral("Label6"))->text(); }
    QPushButton* button(const QString& name) { return window->control<QPushButton>(name); }
    QWidget* focused() { return QApplication::focusWidget(); }
    QString focusedName() { return focused() ? focused()->objectName() : QStringLiteral("(none)"); }

    // Keys go to the control that has the focus, as typing does.
    void type(const QString& text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            QWidget* target = focused();
            ASSERT_NE(target, nullptr);
            // A character beyond the BMP is one key with its surrogate pair as text.
            const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, target, keyFor(text.at(i)), text.mid(i, units), Qt::NoModifier);
            i += units - 1;
        }
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = focused();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, k, modifiers);
    }
    void click(const QString& name)
    {
        QWidget* target = window->control(name);
        ASSERT_NE(target, nullptr) << name.toStdString();
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(target->width() / 2, target->height() / 2));
    }
    // Clicks into an edit box and selects its text, so that typing replaces it.
    void clickAndSelect(const QString& name)
    {
        click(name);
        auto* edit = window->control<desktop::EditBox>(name);
        ASSERT_NE(edit, nullptr);
        ASSERT_EQ(focused(), edit) << name.toStdString();
        edit->selectAll();
    }
    // Walks to tag `tag` with the navigation buttons.
    void goTo(int tag)
    {
        click(QStringLiteral("cmdfirst"));
        for (int i = 1; i < tag; ++i) {
            click(QStringLiteral("Cmdnext"));
        }
    }

    // The preview's colour at a point of the page given in millimetres.
    QColor pagePixel(double xMm, double yMm)
    {
        const QImage& image = window->previewPage()->image();
        const double perMm = desktop::kScreenDpi / 25.4 * image.devicePixelRatio();
        return image.pixelColor(qRound(xMm * perMm), qRound(yMm * perMm));
    }
    // Whether the middle of the top edge of tag `tag`'s cell is outlined in blue.
    bool outlined(int tag)
    {
        const sheet::CellOrigin cell = sheet().cellOrigin(tag);
        return pagePixel(cell.xMm + sheet().format().cellWidthMm / 2.0, cell.yMm) == QColor(0, 0, 255);
    }

private:
    static Qt::Key keyFor(QChar ch)
    {
        const ushort u = ch.toUpper().unicode();
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z')) {
            return Qt::Key(u);
        }
        if (u == '-') {
            return Qt::Key_Minus;
        }
        return Qt::Key_unknown;
    }
};

// Runs `act` on the import dialog once it is shown (the command waits in its exec()).
inline void onImportDialog(desktop::EditorWindow& window, std::function<void(desktop::ImportDialog&)> act)
{
    QTimer::singleShot(0, &window, [&window, act] {
        auto* dialog = window.findChild<desktop::ImportDialog*>();
        if (dialog == nullptr) {
            ADD_FAILURE() << "no import dialog";
            return;
        }
        act(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
}

}  // namespace editor_test
