#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

class TDoc;

// One kind of step of the randomised editing session: it picks its own
// places and arguments with the generator and runs one operation through
// TDoc::PerformOperation. Weight is its share of the steps.
struct TRandomOperation {
    std::string Name;
    int Weight = 1;
    std::function<void(TDoc& doc, std::mt19937& random)> Run;
};

// The steps the session draws from. Typing and deleting are there from the
// start; other rooms' tests add theirs (formatting, lists, tables) before
// the session runs.
std::vector<TRandomOperation>& RandomSessionOperations();

// A place in the document: a paragraph of any story (mostly the main
// text) and an offset within it, before its mark.
struct TTextPos;
TTextPos RandomPos(TDoc& doc, std::mt19937& random);
