#pragma once

// Puts the workers of notes and sections (opConvertNotes, opMergeSections,
// opChangeSectionBreak) into the operation worker table.
void InstallSectionsWorkers();
