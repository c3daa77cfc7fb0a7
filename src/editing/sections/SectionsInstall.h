#pragma once

// Puts the workers of notes and sections (opConvertNotes, opMergeSections,
// opChangeSectionBreak, opInsertNote, opSameAsPrevious, opFormatSections),
// of document properties (opChangeDocProperties) and of locked ranges
// (opLockSelection) into the operation worker table.
void InstallSectionsWorkers();
