#pragma once

// Gives the lists' picture-bullet hooks (model/managers/TAutoList.h) their
// answers from the shapes' pictures: two bullets show the same picture when
// the bytes and their kind agree, and a bullet copied into another document
// takes a copy of its picture. Installed by every new document; hooks a
// caller has set already are left alone.
void InstallDocGraphicHooks();
