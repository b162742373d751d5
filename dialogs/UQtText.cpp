#include "dialogs/UQtText.h"

#include <QStringList>

#include "core/UEingabePruefung.h"
#include "env/UCodec.h"

QString ToQString(const std::string& text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

bool FromQString(const QString& text, std::string& out)
{
    return Utf8ToWindows1252(text.toStdString(), out);
}

QString ToDisplayLines(const std::string& text)
{
    QString lines = ToQString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

bool FromDisplayLines(const QString& text, std::string& out)
{
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return FromQString(lines, out);
}

bool TakeTypedText(const QString& text, std::string& out, bool lines)
{
    if (lines ? FromDisplayLines(text, out) : FromQString(text, out))
        return true;
    if (const TPruefung problem = CheckRepresentable(text.toStdString()))
        MsgDlg(problem->Text(), problem->Kind, {TMsgButton::OK});
    return false;
}

QStringList ToQStringList(const std::vector<std::string>& texts)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts)
        list.append(ToQString(text));
    return list;
}
