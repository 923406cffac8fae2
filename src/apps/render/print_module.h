#pragma once

// The entry point of tanafuda-render's print module (tanafuda-render-print.so), looked up by name
// once the module is loaded.

#include "output/print_pages.h"

#include <QString>

#include <functional>

inline constexpr char kPrintModuleFile[] = "tanafuda-render-print.so";
inline constexpr char kPrintEntryName[] = "tanafudaPrintPages";

// Told the name of the printer a job goes to (the default one's when none was named), before the
// first page is drawn: the renderer looks up that printer's calibration.
using PrinterChosen = std::function<void(const QString& printerName)>;

// Prints `pageCount` pages in one job on the printer named (the default one when empty); false
// with the reason in `error` when there is no such printer or the job failed.
using PrintEntry = bool (*)(const QString& printerName, const QString& docName, int pageCount,
                            const PrinterChosen& chosen, const output::PageDrawer& drawPage, QString& error);
