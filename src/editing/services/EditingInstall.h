#pragma once

// Puts the editing library's operation workers into the worker table, in
// place of the model's plain ones, and its services in place of the
// model's silent ones. Programs and tests that edit documents call it once
// before the first operation; calling it again does nothing.
void InstallEditing();
