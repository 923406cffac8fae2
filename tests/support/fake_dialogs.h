#pragma once

// Dialogs answered by the test instead of a person: each records how it was called and gives the
// answer the test set up.

#include "desktop/dialogs/dialogs.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class FakeDialogs : public desktop::Dialogs {
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
    std::vector<desktop::FileDialogState> fileDialogStates;
    bool existsAnswer = false;
    QStringList existsAsked;
    std::optional<QString> folderAnswer;  // the folder dialog's answer
    QStringList foldersAsked;             // where each folder dialog started

    desktop::MessageAnswer messageAnswer = desktop::MessageAnswer::no;
    QStringList messages;  // "title: text" of each message box
    std::vector<std::pair<desktop::MessageIcon, desktop::MessageButtons>> messageKinds;

    // Questions with buttons of their own: answered from the front of `choices` (the index of a
    // button), with the cancel button once they run out; each is recorded in `messages` and in
    // `questions`.
    std::vector<int> choices;
    struct Question {
        QString title;
        QString text;
        QStringList buttons;
        int cancelIndex = 0;
        int defaultIndex = 0;
    };
    std::vector<Question> questions;

    std::optional<desktop::FontChoice> fontAnswer;
    std::optional<draw::Colour> colourAnswer;
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
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString& start) override
    {
        foldersAsked << start;
        return folderAnswer;
    }

    std::optional<QString> openFile(QWidget*, desktop::FileDialogState& state) override
    {
        return answerFileDialog(state, openAnswer);
    }
    std::optional<QString> saveFile(QWidget*, desktop::FileDialogState& state) override
    {
        return answerFileDialog(state, saveAnswer);
    }
    bool fileExists(const QString& path) override
    {
        existsAsked << path;
        return existsAnswer;
    }
    desktop::MessageAnswer message(QWidget*, const QString& text, const QString& title, desktop::MessageIcon icon,
                                   desktop::MessageButtons buttons) override
    {
        messages << title + QStringLiteral(": ") + text;
        messageKinds.emplace_back(icon, buttons);
        return buttons == desktop::MessageButtons::ok ? desktop::MessageAnswer::ok : messageAnswer;
    }
    int choose(QWidget*, const QString& text, const QString& title, desktop::MessageIcon icon,
               const QStringList& buttons, int cancelIndex, int defaultIndex) override
    {
        messages << title + QStringLiteral(": ") + text;
        questions.push_back({title, text, buttons, cancelIndex, defaultIndex});
        messageKinds.emplace_back(icon, desktop::MessageButtons::yesNo);
        if (choices.empty()) {
            return cancelIndex;
        }
        const int answer = choices.front();
        choices.erase(choices.begin());
        return answer;
    }
    std::optional<desktop::FontChoice> chooseFont(QWidget*) override
    {
        ++fontDialogs;
        return fontAnswer;
    }
    std::optional<draw::Colour> chooseColour(QWidget*) override
    {
        ++colourDialogs;
        return colourAnswer;
    }

private:
    std::optional<QString> answerFileDialog(desktop::FileDialogState& state, const std::optional<QString>& answer)
    {
        ++fileDialogs;
        fileDialogStates.push_back(state);
        if (answer) {
            state.fileName = *answer;
        }
        return answer;
    }
};

// The fake dialogs, whose questions can be the real message boxes instead, answered by keys: with
// `realQuestions` set each question is the real box (still recorded in `questions`), and
// `whileOpen`, when set, runs once the box is up; a box it leaves open is closed.
struct QuestionBoxDialogs : FakeDialogs {
    bool realQuestions = false;
    std::function<void(QWidget* box)> whileOpen;

    int choose(QWidget* parent, const QString& text, const QString& title, desktop::MessageIcon icon,
               const QStringList& buttons, int cancelIndex, int defaultIndex) override
    {
        if (!realQuestions) {
            return FakeDialogs::choose(parent, text, title, icon, buttons, cancelIndex, defaultIndex);
        }
        questions.push_back({title, text, buttons, cancelIndex, defaultIndex});
        if (whileOpen) {
            QTimer::singleShot(0, [this] {
                QWidget* box = QApplication::activeModalWidget();
                if (box == nullptr) {
                    ADD_FAILURE() << "no question shown";
                    return;
                }
                whileOpen(box);
                if (QApplication::activeModalWidget() == box) {
                    box->close();  // whatever the test did, it goes on
                }
            });
        }
        return desktop::qtDialogs().choose(parent, text, title, icon, buttons, cancelIndex, defaultIndex);
    }
};
