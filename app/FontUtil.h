#pragma once
#include <windows.h>

// True when the screen has a font family of that face (default character set).
bool IsFontInstalled(const wchar_t* face);

// "Calibri" when installed, else "Microsoft Sans Serif".
const wchar_t* InterfaceFontFace();

// The height and weight of one of the fonts the tool makes.
struct FontSpec {
    int height, weight;
};

// A Swiss-family font of the interface face with the given height and weight.
HFONT CreateInterfaceFont(int height, int weight);
