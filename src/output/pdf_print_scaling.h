#pragma once

// PDF viewers shrink a page "to fit" when printing unless the document asks them not to. Every
// PDF the programs write is marked so: the catalogue's ViewerPreferences get PrintScaling None.
// Qt's PDF writer cannot set it, so the finished file is rewritten with qpdf.

#include <QByteArray>
#include <QString>

namespace output {

// The PDF `pdf` with PrintScaling None in its viewer preferences (other preferences kept). False,
// with the reason in `error`, when the bytes are not a PDF qpdf can read.
bool withPrintScalingNone(const QByteArray& pdf, QByteArray& out, QString& error);

// Rewrites the PDF file at `path` in place through the careful writer. The file is left as it
// was when anything fails.
bool setPrintScalingNone(const QString& path, QString& error);

}  // namespace output
