#include "word/libreoffice/ULibreOfficeUno.h"

#include "env/UCodec.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

namespace lo {

OUString FromUtf8(const std::string& utf8)
{
    return OUString(utf8.data(), static_cast<sal_Int32>(utf8.size()), RTL_TEXTENCODING_UTF8);
}

OUString FromText(const std::string& windows1252)
{
    return FromUtf8(Windows1252ToUtf8(windows1252));
}

std::string ToUtf8(const OUString& text)
{
    const rtl::OString bytes = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<std::size_t>(bytes.getLength()));
}

// Single-byte text for messages: a character without a single-byte form becomes "?".
std::string ToText(const OUString& text)
{
    const std::string utf8 = ToUtf8(text);
    std::string result;
    std::vector<TCodecProblem> problems;
    if (Utf8ToWindows1252(utf8, result, &problems))
        return result;
    std::string cleaned;
    std::size_t at = 0;
    for (const TCodecProblem& problem : problems) {
        cleaned.append(utf8, at, problem.Offset - at);
        cleaned += '?';
        at = problem.Offset + problem.Length;
    }
    cleaned.append(utf8, at, std::string::npos);
    Utf8ToWindows1252(cleaned, result);
    return result;
}

// An office message without the source position the bridge appends ("... at ./x.cxx:12").
std::string MessageOf(const css::uno::Exception& exception)
{
    std::string message = ToText(exception.Message);
    const std::size_t at = message.find(" at ./");
    if (at != std::string::npos)
        message.erase(at);
    return message.empty() ? std::string("an error without description") : message;
}

std::string AbsolutePath(const std::string& path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    std::string folder(4096, '\0');
    if (!::getcwd(folder.data(), folder.size()))
        return path;
    folder.resize(std::strlen(folder.c_str()));
    return folder + "/" + path;
}

// The file URL of a path, byte for byte: the office sees the very file the path names,
// whatever the locale.
OUString FileUrl(const std::string& path)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : AbsolutePath(path)) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("/-._~", c))
            url += c;
        else {
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 15];
        }
    }
    return OUString::createFromAscii(url.c_str());
}

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

// The path of a local file URL; false for other URLs.
bool PathOfFileUrl(const OUString& url, std::string& path)
{
    std::string text = ToUtf8(url);
    const std::string scheme = "file://";
    if (text.compare(0, scheme.size(), scheme) != 0)
        return false;
    text.erase(0, scheme.size());
    if (text.compare(0, 9, "localhost") == 0)
        text.erase(0, 9);
    if (text.empty() || text.front() != '/')
        return false;
    path.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            path += text[i];
        }
    }
    return true;
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The finished document keeps the family of its template.
std::string DocumentExtensionFor(const std::string& templateFile)
{
    const std::string extension = LowerExtension(templateFile);
    if (extension == ".dot" || extension == ".doc")
        return ".doc";
    if (extension == ".dotx" || extension == ".dotm" || extension == ".docx" || extension == ".docm")
        return ".docx";
    return ".odt";
}

// The office's export filter for a document file name; empty for an unknown type.
const char* FilterFor(const std::string& path)
{
    static const std::pair<const char*, const char*> filters[] = {
        {".odt", "writer8"},           {".ott", "writer8_template"},
        {".docx", "MS Word 2007 XML"}, {".dotx", "MS Word 2007 XML Template"},
        {".doc", "MS Word 97"},        {".dot", "MS Word 97 Vorlage"},
        {".rtf", "Rich Text Format"},  {".pdf", "writer_pdf_Export"},
    };
    const std::string extension = LowerExtension(path);
    for (const auto& [known, filter] : filters)
        if (extension == known)
            return filter;
    return "";
}

bool Modified(const Reference<css::uno::XInterface>& model)
{
    Reference<css::util::XModifiable> modifiable(model, UNO_QUERY);
    return modifiable.is() && modifiable->isModified();
}

Reference<css::awt::XWindow> WindowOf(const Reference<css::uno::XInterface>& model)
{
    Reference<css::frame::XModel> asModel(model, UNO_QUERY);
    if (!asModel.is())
        return {};
    Reference<css::frame::XController> controller = asModel->getCurrentController();
    if (!controller.is())
        return {};
    Reference<css::frame::XFrame> frame = controller->getFrame();
    return frame.is() ? frame->getContainerWindow() : Reference<css::awt::XWindow>();
}

bool WindowVisible(const Reference<css::uno::XInterface>& model)
{
    Reference<css::awt::XWindow2> window(WindowOf(model), UNO_QUERY);
    return window.is() && window->isVisible();
}

void BringToFront(const Reference<css::uno::XInterface>& model)
{
    Reference<css::awt::XWindow> window = WindowOf(model);
    if (!window.is())
        return;
    window->setVisible(true);
    Reference<css::awt::XTopWindow> top(window, UNO_QUERY);
    if (top.is())
        top->toFront();
}

css::beans::PropertyValue Property(const char* name, const Any& value)
{
    css::beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

Sequence<css::beans::PropertyValue> Properties(std::initializer_list<css::beans::PropertyValue> properties)
{
    return Sequence<css::beans::PropertyValue>(properties.begin(), static_cast<sal_Int32>(properties.size()));
}

}  // namespace lo
