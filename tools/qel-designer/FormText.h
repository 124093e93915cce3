#pragma once
// Keeping components whose class no loaded package registers. Their whole object blocks are cut
// out of the form text before it is read and put back under the same parent when it is saved,
// so opening and saving such a form loses nothing of them.
#include <functional>
#include <string>
#include <vector>

namespace qel::designer {

struct TKeptObject {
    std::vector<std::string> ParentPath; // names of the enclosing objects below the root
    std::string ClassName;
    std::string Name;
    std::string Text; // the block, without its base indentation, one line per entry
};

// Removes every object block (with its children) whose class IsKnown refuses. Throws
// EParserError when the object structure is broken (an "end" without an object, an object
// without its "end").
std::string CutUnknownObjects(const std::string& FormText,
                              const std::function<bool(const std::string&)>& IsKnown,
                              std::vector<TKeptObject>& Kept);

// Puts the blocks back at the end of their parents' children; a parent that no longer exists
// (deleted in the designer) takes its kept children with it, as the root's children.
std::string InsertKeptObjects(const std::string& FormText, const std::vector<TKeptObject>& Kept);

// "object Form1: TForm1" → "TForm1"; empty when the text has no object header.
std::string RootClassOf(const std::string& FormText);
// Replaces the class of the root object header.
std::string WithRootClass(const std::string& FormText, const std::string& ClassName);

} // namespace qel::designer
