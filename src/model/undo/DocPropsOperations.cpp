#include "model/undo/DocPropsOperations.h"

#include <utility>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"

void TChangeDocPropsOperation::Undo() {
    TDocProps& own = Doc->DocProps;
    std::swap(own.Title, Props.Title);
    std::swap(own.Subject, Props.Subject);
    std::swap(own.Author, Props.Author);
    std::swap(own.Manager, Props.Manager);
    std::swap(own.Company, Props.Company);
    std::swap(own.Category, Props.Category);
    std::swap(own.Keywords, Props.Keywords);
    std::swap(own.Comments, Props.Comments);
    // Fields that show the properties (TITLE, AUTHOR...) are brought up to
    // date with the other page-dependent ones.
    Doc->StateFlags[sfDocChanged] = 1;
}
