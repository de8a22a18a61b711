#include "DocumentFile.h"

#include "RtfText.h"

#include <QFile>
#include <QSaveFile>

bool TDocumentFile::Read(const QString& fileName, TDocumentText& document, QString& error) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Failed to Load Stream: %1").arg(file.errorString());
        return false;
    }
    if (IsRichText(bytes)) {
        // The text of a rich-text file is saved back as UTF-8 plain text.
        const QString text = RtfPlainText(bytes);
        document = {SplitLines(text), TTextEncoding::Utf8, EndsWithLineBreak(text)};
        return true;
    }
    const TDecodedText decoded = DecodeText(bytes);
    document = {SplitLines(decoded.Text), decoded.Encoding, EndsWithLineBreak(decoded.Text)};
    return true;
}

bool TDocumentFile::Write(const QString& fileName, const TDocumentText& document, QString& error) {
    const std::optional<QByteArray> bytes = EncodeLines(document.Lines, document.Encoding);
    if (!bytes) {
        error = QStringLiteral("Cannot save \"%1\": the text holds characters that this 8-bit "
                               "file cannot store")
                    .arg(fileName);
        return false;
    }
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        error = QStringLiteral("Cannot save \"%1\". %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}
