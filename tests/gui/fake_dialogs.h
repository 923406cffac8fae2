#pragma once

// Dialogs answered by the test instead of a person: each records how it was called and gives the
// answer the test set up.

#include "platform/dialogs.h"

#include <QPageLayout>
#include <QPrinter>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class FakeDialogs : public platform::Dialogs {
public:
    // Printer dialog: accepted with output to `pdfPath` (a PDF file), or cancelled when empty;
    // accepted with the printer `printerName` instead when that is set.
    QString pdfPath;
    QString printerName;
    int printerDialogs = 0;
    QPageLayout layoutShown;    // the page the printer held when the dialog opened
    QPageLayout layoutPrinted;  // the page it printed on

    std::optional<QString> openAnswer;
    std::optional<QString> saveAnswer;
    int fileDialogs = 0;
    // The settings each file dialog was shown with; an answered dialog keeps the chosen path as
    // its next file name, as the platform's does.
    std::vector<platform::FileDialogState> fileDialogStates;
    bool existsAnswer = false;
    QStringList existsAsked;

    platform::MessageAnswer messageAnswer = platform::MessageAnswer::no;
    QStringList messages;  // "title: text" of each message box
    std::vector<std::pair<platform::MessageIcon, platform::MessageButtons>> messageKinds;

    std::optional<platform::FontChoice> fontAnswer;
    std::optional<platform::Colour> colourAnswer;
    int fontDialogs = 0;
    int colourDialogs = 0;

    bool choosePrinter(QWidget*, QPrinter& printer) override
    {
        ++printerDialogs;
        layoutShown = printer.pageLayout();
        if (!printerName.isEmpty()) {
            printer.setPrinterName(printerName);
            layoutPrinted = printer.pageLayout();
            return true;
        }
        if (pdfPath.isEmpty()) {
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        layoutPrinted = printer.pageLayout();
        return true;
    }
    std::optional<QString> openFile(QWidget*, platform::FileDialogState& state) override
    {
        return answerFileDialog(state, openAnswer);
    }
    std::optional<QString> saveFile(QWidget*, platform::FileDialogState& state) override
    {
        return answerFileDialog(state, saveAnswer);
    }
    bool fileExists(const QString& path) override
    {
        existsAsked << path;
        return existsAnswer;
    }
    platform::MessageAnswer message(QWidget*, const QString& text, const QString& title, platform::MessageIcon icon,
                                    platform::MessageButtons buttons) override
    {
        messages << title + QStringLiteral(": ") + text;
        messageKinds.emplace_back(icon, buttons);
        return buttons == platform::MessageButtons::ok ? platform::MessageAnswer::ok : messageAnswer;
    }
    std::optional<platform::FontChoice> chooseFont(QWidget*) override
    {
        ++fontDialogs;
        return fontAnswer;
    }
    std::optional<platform::Colour> chooseColour(QWidget*) override
    {
        ++colourDialogs;
        return colourAnswer;
    }

private:
    std::optional<QString> answerFileDialog(platform::FileDialogState& state, const std::optional<QString>& answer)
    {
        ++fileDialogs;
        fileDialogStates.push_back(state);
        if (answer) {
            state.fileName = *answer;
        }
        return answer;
    }
};
