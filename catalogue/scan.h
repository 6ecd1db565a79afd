// The capsule scan: finds the capsules' index segments on every medium and builds the
// catalogue table from them and the tape and cabinet records.
#pragma once

#include <string>
#include <vector>

#include "catalogue/tables.h"
#include "catalogue/window_port.h"

namespace capsdub {

// The host folder with its drive letter replaced by the medium's letter, with a trailing
// separator.
std::string MediaFolder(const std::string& host, const std::string& medium);

void BuildCatalogue(Catalogue& catalogue, WindowPort& window);

// The media segments (.SSG, or .MPG when there is none) and the index segments (.SSX) of a
// capsule, in the order of its extension file.
void GetSegmentLists(const std::string& number, std::vector<std::string>& media,
                     std::vector<std::string>& index, const Catalogue& catalogue,
                     WindowPort& window);

// Runs the readers and the scan in the order a load uses.
void LoadCatalogue(Catalogue& catalogue, WindowPort& window);

}  // namespace capsdub
