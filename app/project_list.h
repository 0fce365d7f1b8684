#pragma once
// Commands over several projects at once: `gildex insert A.vbp B.vbg DIR` treats each in
// turn, a folder standing for every project file under it.
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace gildex::app {

// The projects the PROJECT arguments name, in order: a folder stands for every .vbp under it
// (in its subfolders too, sorted by path), anything else for itself (its load says what is
// wrong with it). Empty, with `problem` set, when a folder holds no .vbp.
std::vector<std::string> ExpandProjects(const std::vector<std::string>& arguments, std::string& problem);

// Runs `one` on each project the arguments name; a project that fails does not stop the
// others, a cancelled one (Ctrl-C) stops them all. `many` tells `one` that its project is one
// of several. With several, one line on `err` ends the run (not when `quiet`); `reported`
// says what exit status 1 meant ("with problems", "would change"). Returns the worst exit
// status: cancelled, then bad input, then reported, then done.
int ForEachProject(const std::vector<std::string>& arguments, std::ostream& err, bool quiet,
                   std::string_view reported, const std::function<int(const std::string& project, bool many)>& one);

}  // namespace gildex::app
