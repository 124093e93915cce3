#pragma once
// The designer's command language, one command a line, so the whole designer can be driven
// headless (tests, batch edits). Words are separated by blanks; 'quoted' or "quoted" words may
// hold blanks. "#" starts a comment line. See UsageText() for the commands.
#include "FormDesigner.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace qel::designer {

class TScript {
  public:
    TScript(TFormDesigner& D, std::ostream& Out) : D_(D), Out_(Out) {}
    // Runs one command; throws Exception with a clear message for a bad command or a failed
    // operation.
    void Run(const std::string& Line);
    // Runs every line; stops at the first failing one and returns its 1-based number (0 when
    // all ran).
    int RunAll(std::istream& In, std::string& Error);
    static std::vector<std::string> Split(const std::string& Line);
    static const char* UsageText();

  private:
    struct TDialogAction {
        std::string What, Name, Text;
    };
    void ArmDialog();
    TComponent* Need(const std::string& Name) const;

    TFormDesigner& D_;
    std::ostream& Out_;
    std::vector<TDialogAction> Dialog_; // applied to the next dialog that shows
};

} // namespace qel::designer
