#pragma once
// Each show's firing report, written beside the run log when the show stops and again when
// checks come in after it. It is the record that is left when the log's lines could not be
// written; when the log goes on in its second folder, the report follows it there.

#include <string>

namespace kv {

class TFiringReport;

class TShowReportFile {
public:
    // The show's end: the report under the show's own name beside the log, logged when it
    // cannot be written.
    void Close(const TFiringReport& report, int show, bool rehearsal);
    // Once more under that name; nothing before the first show's end.
    void Save(const TFiringReport& report);
    // Empty until a show ended, and while one runs.
    const std::string& Path() const { return path_; }
    void Forget() { path_.clear(); }

private:
    bool Write(const TFiringReport& report);

    std::string path_;
};

}  // namespace kv
