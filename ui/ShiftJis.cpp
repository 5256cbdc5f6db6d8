#include "ShiftJis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace sjis {

namespace {
constexpr const char* CodePage = "windows-31j";
}

QByteArray Encode(const QString& text, bool* ok)
{
    QStringEncoder encoder(CodePage, QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

std::string EncodeToString(const QString& text, bool* ok)
{
    return Encode(text, ok).toStdString();
}

QString Decode(std::string_view bytes)
{
    QStringDecoder decoder(CodePage, QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QString Decode(const QByteArray& bytes)
{
    return Decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

qsizetype ByteLength(const QString& text)
{
    return Encode(text).size();
}

bool Encodable(const QString& text)
{
    bool ok = false;
    Encode(text, &ok);
    return ok;
}

QString MapLookAlikes(const QString& text)
{
    static constexpr struct {
        char16_t from, to;
    } Map[] = {
        {u'\u301C', u'\uFF5E'}, // wave dash -> full-width tilde
        {u'\u2212', u'\uFF0D'}, // minus sign -> full-width hyphen-minus
        {u'\u2016', u'\u2225'}, // double vertical line -> parallel to
        {u'\u2014', u'\u2015'}, // em dash -> horizontal bar
        {u'\u00A2', u'\uFFE0'}, // cent sign -> full-width cent
        {u'\u00A3', u'\uFFE1'}, // pound sign -> full-width pound
        {u'\u00AC', u'\uFFE2'}, // not sign -> full-width not
        {u'\u00A5', u'\uFFE5'}, // yen sign -> full-width yen
        {u'\u203E', u'\uFFE3'}, // overline -> full-width macron
    };
    QString mapped = text;
    for (QChar& ch : mapped)
        for (const auto& m : Map)
            if (ch.unicode() == m.from)
                ch = QChar(m.to);
    return mapped;
}

} // namespace sjis
