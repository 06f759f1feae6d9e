#pragma once
// Reads an expanded skin package into the model: the frame borders, colours, caption buttons,
// push buttons, title, the elements of the element table, and the images derived from them
// (combo box frames and arrow, toolbar background). TSkinData::LoadSkin (defined here, beside the
// loader) clears the model and runs it; a corrupt package throws out of Read.
#include <string>
#include <vector>

#include "skin/model/Bitmap.h"
#include "skin/model/WinSkinData.h"

class TQuickIni;
class TSkinReader;

class TSkinLoader {
public:
    TSkinLoader(TSkinData& data, const TSkinReader& reader);

    // Reads the skin that `ini` (the package's INI entry) describes.
    void Read(const TQuickIni& ini);
    // Replaces `bitmap` with the package entry named by the file part of `name` when that ends in
    // ".bmp" exactly; empties it otherwise, or when the entry is missing, empty or not a bitmap.
    void LoadBitmap(TBitmap32& bitmap, const std::string& name) const;

private:
    void ReadBorders(const TQuickIni& ini);
    void ReadColours(const TQuickIni& ini, const std::vector<std::string>& sections);
    void ReadCaptionButtons(const TQuickIni& ini, const std::vector<std::string>& sections);
    void ReadButtons(const TQuickIni& ini);
    void ReadTitle(const TQuickIni& ini);
    void ReadElements(const TQuickIni& ini);
    void FixFrameCounts();
    void BuildComboFrames();
    void BuildComboArrow();
    void BuildToolbarBackground();
    // The colour of the pixel at (width / 3, frame height / 3) of the Top border's image, or the
    // ButtonFace colour when it has none.
    TColor ComputeFrameColour() const;

    TSkinData& data_;
    const TSkinReader& reader_;
};
