#include "devices/BlackBoxFile.h"

#include "devices/BlackBoxRecord.h"
#include "devices/SavedFile.h"
#include "support/Conversions.h"

#include <algorithm>

namespace kv {

std::string ProposedBlackBoxFileName()
{
    return ShortDateText(LocalTimeNow()) + ".dat";
}

std::string BlackBoxFileName(const std::string& chosen)
{
    return EnsureExtension(chosen, ".DAT");
}

std::string WriteBlackBoxFile(const std::string& path, const std::vector<uint8_t>& records)
{
    std::string bytes(4 + records.size(), '\0');
    PutInt32(reinterpret_cast<uint8_t*>(bytes.data()), kBlackBoxFileFormat);
    std::copy(records.begin(), records.end(), bytes.begin() + 4);
    return SaveFileBytes(path, bytes);
}

}  // namespace kv
