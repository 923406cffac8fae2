#pragma once

namespace command_line {

// Qt's platform set-up asks for the user's runtime folder, which a run under cron or a CI job does
// not have; the command-line programs never use it, so that complaint is not passed on, and a
// run that went well writes nothing to standard error. Every other message of Qt is.
void hideRuntimeFolderWarning();

}  // namespace command_line
