#include "map/UriLauncher.h"

#include "diag/Trace.h"

#include <gio/gio.h>

#include <cctype>

namespace {

UriOpener& OpenerSlot()
{
    static UriOpener s_fnOpener;
    return s_fnOpener;
}

bool IsWebAddress(const std::string& uri)
{
    auto starts = [&](const char* scheme) {
        std::size_t i = 0;
        for (; scheme[i]; ++i)
            if (i >= uri.size() || std::tolower(static_cast<unsigned char>(uri[i])) != scheme[i]) return false;
        return true;
    };
    return starts("http://") || starts("https://");
}

bool OpenWithDefaultHandler(const std::string& uri)
{
    GError* pError = nullptr;
    const gboolean ok = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &pError);
    if (!ok) TraceA("### %s - %s", "OpenInBrowser", pError ? pError->message : "no handler");
    g_clear_error(&pError);
    return ok != FALSE;
}

} // namespace

void SetUriOpener(UriOpener fnOpener)
{
    OpenerSlot() = std::move(fnOpener);
}

bool OpenInBrowser(const std::string& uri)
{
    if (!IsWebAddress(uri)) return false;
    const UriOpener& fnOpener = OpenerSlot();
    return fnOpener ? fnOpener(uri) : OpenWithDefaultHandler(uri);
}
