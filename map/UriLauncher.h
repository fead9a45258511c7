#pragma once

// Opening an address in the user's default browser (GIO's default handler for the address's
// scheme), never in a fixed program. Tests put an opener of their own in its place, so that no
// browser starts.

#include <functional>
#include <string>

// The whole address, true when a handler was started.
using UriOpener = std::function<bool(const std::string& uri)>;

// Replaces the opener; an empty one brings the default back. GUI thread.
void SetUriOpener(UriOpener fnOpener);

// Opens an http: or https: address; anything else (script:, file:, a page's odd link) is refused
// with false, so a page can never make the player start a local program.
bool OpenInBrowser(const std::string& uri);
