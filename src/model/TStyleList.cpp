#include "model/TStyleList.h"

#include "model/TStyle.h"

TStyleList::~TStyleList() {
    FreeItems<TStyle>();
}
