// The INI file store: writing a key rewrites the file to exactly what the text writer gives for
// its old bytes, and reading the key then gives what the text reader finds there.

#include "FuzzSupport.h"

#include "settings/IniFile.h"
#include "settings/IniText.h"

#include <QFile>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString FilePath() {
    static QTemporaryDir folder;
    FUZZ_CHECK(folder.isValid());
    return folder.filePath("fuzz.ini");
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(16);
    const std::string key = input.ConsumeRandomLengthString(16);
    const std::string value = input.ConsumeRandomLengthString(16);
    const std::string content = input.ConsumeRemainingBytesAsString();

    const QString path = FilePath();
    WriteBytes(path, content);
    TIniFile file(path);
    FUZZ_CHECK(file.ReadString(section, key) == FindIniValue(content, section, key));
    FUZZ_CHECK(file.WriteString(section, key, value));
    const std::string expected = SetIniValue(content, section, key, value);
    FUZZ_CHECK(ReadBytes(path) == expected);
    FUZZ_CHECK(file.ReadString(section, key) == FindIniValue(expected, section, key));
    return 0;
}
