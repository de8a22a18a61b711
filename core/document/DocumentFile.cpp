#include "DocumentFile.h"

#include "EditorError.h"
#include "RtfText.h"

#include <QFile>
#include <QSaveFile>

TDocumentText TDocumentFile::Read(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EEditorError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EEditorError(QStringLiteral("Failed to Load Stream: %1").arg(file.errorString()));
    if (IsRichText(bytes)) {
        // The text of a rich-text file is saved back as UTF-8 plain text.
        const QString text = RtfPlainText(bytes);
        return {SplitLines(text), TTextEncoding::Utf8, EndsWithLineBreak(text)};
    }
    const TDecodedText decoded = DecodeText(bytes);
    return {SplitLines(decoded.Text), decoded.Encoding, EndsWithLineBreak(decoded.Text)};
}

void TDocumentFile::Write(const QString& fileName, const TDocumentText& document) {
    const std::optional<QByteArray> bytes = EncodeLines(document.Lines, document.Encoding);
    if (!bytes)
        throw EEditorError(QStringLiteral("Cannot save \"%1\": the text holds characters that "
                                          "this 8-bit file cannot store")
                               .arg(fileName));
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit())
        throw EEditorError(
            QStringLiteral("Cannot save \"%1\". %2").arg(fileName, file.errorString()));
}
