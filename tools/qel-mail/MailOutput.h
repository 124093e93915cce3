#pragma once
// Saving received attachments into a folder. Attachment names come from the mail, so they are
// made safe first: no path elements, no "." or "..", no empty name, and no name used twice in
// one folder (a later file would silently overwrite an earlier one).
#include <set>
#include <string>
#include <string_view>

namespace qel {

class TSavedNames {
  public:
    // A safe, unused file name for an attachment named Name.
    std::string Next(const std::string& Name);

  private:
    std::set<std::string> Used_;
};

// Writes Bytes to Dir/Name, creating Dir when needed. Throws EFCreateError on failure.
void WriteAttachmentFile(const std::string& Dir, const std::string& Name, std::string_view Bytes);

} // namespace qel
