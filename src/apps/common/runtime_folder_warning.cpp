#include "apps/common/runtime_folder_warning.h"

#include <QString>
#include <QtGlobal>

namespace command_line {

namespace {

QtMessageHandler qtMessages = nullptr;

void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: "))) {
        return;
    }
    qtMessages(type, context, message);
}

}  // namespace

void hideRuntimeFolderWarning()
{
    if (qtMessages == nullptr) {
        qtMessages = qInstallMessageHandler(quietMessages);
    }
}

}  // namespace command_line
