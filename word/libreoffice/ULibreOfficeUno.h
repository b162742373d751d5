// The LibreOffice back end's vocabulary for talking UNO: the office's texts and file
// URLs, properties, and the windows of its documents. Internal to the back end: it needs
// the SDK's headers.
#pragma once

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/container/XContentEnumerationAccess.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XFramesSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XBookmarksSupplier.hpp>
#include <com/sun/star/text/XEndnotesSupplier.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XFormField.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XRefreshable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include "env/UDateien.h"
#include "env/VControl.h"

#include <chrono>
#include <initializer_list>
#include <string>

#ifndef TAVIX_LIBREOFFICE_PROGRAM_DIR
#define TAVIX_LIBREOFFICE_PROGRAM_DIR "/usr/lib/libreoffice/program"
#endif

namespace lo {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

using TClock = std::chrono::steady_clock;

inline constexpr const char* kProgramDir = TAVIX_LIBREOFFICE_PROGRAM_DIR;

// ---- Text ------------------------------------------------------------------------------

OUString FromUtf8(const std::string& utf8);

OUString FromText(const std::string& windows1252);

std::string ToUtf8(const OUString& text);

// Single-byte text for messages: a character without a single-byte form becomes "?".
std::string ToText(const OUString& text);

// An office message without the source position the bridge appends ("... at ./x.cxx:12").
std::string MessageOf(const css::uno::Exception& exception);

// ---- Files -------------------------------------------------------------------------------

std::string AbsolutePath(const std::string& path);

// The file URL of a path, byte for byte: the office sees the very file the path names,
// whatever the locale.
OUString FileUrl(const std::string& path);

// The path of a local file URL; false for other URLs.
bool PathOfFileUrl(const OUString& url, std::string& path);

bool FileExists(const std::string& path);

// The finished document keeps the family of its template.
std::string DocumentExtensionFor(const std::string& templateFile);

// The office's export filter for a document file name; empty for an unknown type.
const char* FilterFor(const std::string& path);

bool Modified(const Reference<css::uno::XInterface>& model);

Reference<css::awt::XWindow> WindowOf(const Reference<css::uno::XInterface>& model);

bool WindowVisible(const Reference<css::uno::XInterface>& model);

void BringToFront(const Reference<css::uno::XInterface>& model);

template <class T>
Any Value(const T& value)
{
    return Any(value);
}

css::beans::PropertyValue Property(const char* name, const Any& value);

Sequence<css::beans::PropertyValue> Properties(std::initializer_list<css::beans::PropertyValue> properties);

}  // namespace lo
