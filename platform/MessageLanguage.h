// The language of the command-line texts (--help, usage errors): Russian when the locale
// asks for it (LC_ALL, else LC_MESSAGES, else LANG starting with "ru"), English otherwise.
#pragma once

namespace vornelta {

bool russianMessages();

} // namespace vornelta
