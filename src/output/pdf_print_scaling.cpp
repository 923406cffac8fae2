#include "output/pdf_print_scaling.h"

#include "core/files/careful_write.h"

#include <QFile>

// qpdf's own smart pointer is std::shared_ptr throughout.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <memory>

namespace output {

bool withPrintScalingNone(const QByteArray& pdf, QByteArray& out, QString& error)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("tanafuda", pdf.constData(), size_t(pdf.size()));
        QPDFObjectHandle root = document.getRoot();
        QPDFObjectHandle preferences = root.getKey("/ViewerPreferences");
        if (!preferences.isDictionary()) {
            preferences = QPDFObjectHandle::newDictionary();
        }
        preferences.replaceKey("/PrintScaling", QPDFObjectHandle::newName("/None"));
        root.replaceKey("/ViewerPreferences", preferences);

        QPDFWriter writer(document);
        writer.setOutputMemory();
        writer.setDeterministicID(true);  // the same page gives the same bytes
        writer.write();
        const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        out = QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
        return true;
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
        return false;
    }
}

bool setPrintScalingNone(const QString& path, QString& error)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        error = in.errorString();
        return false;
    }
    const QByteArray pdf = in.readAll();
    in.close();
    QByteArray marked;
    if (!withPrintScalingNone(pdf, marked, error)) {
        return false;
    }
    const files::FileWriteResult written = files::writeFileCarefully(path, marked);
    if (!written.ok) {
        error = written.error;
    }
    return written.ok;
}

}  // namespace output
