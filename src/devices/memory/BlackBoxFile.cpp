#include "devices/memory/BlackBoxFile.h"

#include "devices/memory/BlackBoxRecord.h"
#include "link/Result.h"
#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"
#include "support/lang/Localizer.h"
#include "support/text/SavedFile.h"

#include <algorithm>

namespace kv {

std::string ProposedBlackBoxFileName()
{
    return RecordsFolder() + ShortDateText(LocalTimeNow()) + ".dat";
}

std::string BlackBoxFileName(const std::string& chosen)
{
    return EnsureExtension(chosen, ".DAT");
}

std::vector<std::string> BlackBoxStatusLines(const std::vector<uint8_t>& records)
{
    std::vector<std::string> lines;
    for (size_t at = 0; at + kBlackBoxRecordSize <= records.size(); at += kBlackBoxRecordSize)
        lines.push_back(Localize(78, "Пульт:") + " " +
                        std::to_string(records[at + kBlackBoxAddressOffset]) +
                        Localize(53, ", состояние:") + " " +
                        ResultText(GetInt32(records.data() + at + kBlackBoxStatusOffset)));
    return lines;
}

bool AnyBlackBoxRead(const std::vector<uint8_t>& records)
{
    for (size_t at = 0; at + kBlackBoxRecordSize <= records.size(); at += kBlackBoxRecordSize)
        if (GetInt32(records.data() + at + kBlackBoxStatusOffset) == 0 &&
            GetInt32(records.data() + at + kBlackBoxWordsReadOffset) == kBlackBoxWords)
            return true;
    return false;
}

std::string WriteBlackBoxFile(const std::string& path, const std::vector<uint8_t>& records)
{
    std::string bytes(4 + records.size(), '\0');
    PutInt32(reinterpret_cast<uint8_t*>(bytes.data()), kBlackBoxFileFormat);
    std::copy(records.begin(), records.end(), bytes.begin() + 4);
    return SaveFileBytes(path, bytes);
}

}  // namespace kv
