// The score table's reader of a stored bundle, on a real file: any bytes, or
// a bundle whose header adds up around a result text of any bytes. Only
// whole bundles give a score text; it is one word without "<", no longer
// than the start of the text that is read, and it is what reading the whole
// text would give (its start, when the text runs beyond what is read).

#include "FuzzCheck.h"
#include "ScratchFolder.h"
#include "classlink/C3DFile.h"
#include "server/BundleScoreText.h"

#include <QTextCodec>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>

namespace {

using fuzzsupport::Check;

// The first word of the whole text, read without any bound.
QString FirstWord(const QByteArray& text) {
    const std::unique_ptr<QTextDecoder> decoder(QTextCodec::codecForName("GBK")->makeDecoder());
    const QString decoded = decoder->toUnicode(text);
    qsizetype from = 0;
    while (from < decoded.size() && decoded.at(from).isSpace())
        ++from;
    qsizetype to = from;
    while (to < decoded.size() && !decoded.at(to).isSpace())
        ++to;
    const QString word = decoded.mid(from, to - from);
    const qsizetype angle = word.indexOf(QLatin1Char('<'));
    return angle < 0 ? word : word.left(angle);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzzsupport::ScratchFolder folder;
    static const QString path = folder.In(QStringLiteral("bundle.3d"));

    FuzzedDataProvider input(data, size);
    const bool assembled = input.ConsumeBool();
    QByteArray file;
    if (assembled) {
        // The robot file mostly begins with "<", as the simulators write it.
        const int robotLength = input.ConsumeIntegralInRange(0, 40);
        const int programLength = input.ConsumeIntegralInRange(0, 40);
        const int groundLength = input.ConsumeIntegralInRange(0, 40);
        const bool angle = input.ConsumeBool();
        const QByteArray text = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
        QByteArray robot(robotLength, 'r');
        if (angle && robotLength > 0)
            robot[0] = '<';
        file = C3DFile::MakeHeader(text.size(), robotLength, programLength, groundLength) + text + robot
            + QByteArray(programLength, 'p') + QByteArray(groundLength, 'g');
    } else {
        file = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    }
    folder.Write(QStringLiteral("bundle.3d"), file);

    const QString score = ReadBundleScoreText(path);
    for (const QChar c : score)
        Check(!c.isSpace() && c != QLatin1Char('<'), "the score text is not one word");
    Check(score.size() <= kScoreTextPrefix, "the score text is longer than the start that is read");

    const std::optional<C3DFile::Sections> sections = C3DFile::Unpack(file, C3DFile::Reader::Server);
    if (!sections) {
        Check(score.isEmpty(), "a score text from a file that is no bundle");
        return 0;
    }
    const QString whole = FirstWord(sections->text);
    if (sections->text.size() <= kScoreTextPrefix)
        Check(score == whole, "the score text differs from the whole text's first word");
    else
        Check(whole.startsWith(score), "the score text is not the start of the whole text's first word");
    return 0;
}
