// dorod's commands that move a desk between its folder and a PostgreSQL database.
#pragma once

#include <iosfwd>
#include <string>

namespace dorod::tool {

// Puts the folder's data.d, dates.d and rielt.d into the database (the tables made when
// absent); refused when the database holds announcements already, unless replace.
// Exit status 0, or 1 with the message on err.
int importDesk(const std::string& url, const std::string& folder, bool replace, std::ostream& out,
               std::ostream& err);
// Writes the database's tables into the folder as data.d, dates.d and rielt.d.
int exportDesk(const std::string& url, const std::string& folder, std::ostream& out,
               std::ostream& err);

} // namespace dorod::tool
