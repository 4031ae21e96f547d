#pragma once
// The list of connected channels the operator saves after a channel test (.txt,
// Windows-1251, CR LF): per firing module its address, the count and the channels.

#include <string>
#include <vector>

namespace kv {

class TControls;

// The file's lines, in UTF-8; the last two of every module are empty.
std::vector<std::string> ConnectedChannelsLines(const TControls& controls);
// The proposed name of the save dialog.
std::string ProposedChannelsFileName();
// The operator's name with ".txt" unless it already ends in ".txt" in any case.
std::string ChannelsFileName(const std::string& chosen);
// Creates or overwrites the file. Empty on success, else the system's reason.
std::string WriteConnectedChannelsFile(const std::string& path, const TControls& controls);

}  // namespace kv
