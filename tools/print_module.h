#pragma once

// The entry point of tanafuda-render's print module (tanafuda-render-print.so), looked up by name
// once the module is loaded.

#include "platform/print_pages.h"

#include <QString>

inline constexpr char kPrintModuleFile[] = "tanafuda-render-print.so";
inline constexpr char kPrintEntryName[] = "tanafudaPrintPages";

// Prints `pageCount` pages in one job on the printer named (the default one when empty); false
// with the reason in `error` when there is no such printer or the job failed.
using PrintEntry = bool (*)(const QString& printerName, const QString& docName, int pageCount,
                            const platform::PageDrawer& drawPage, QString& error);
