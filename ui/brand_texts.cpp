#include "ui/brand_texts.h"

BrandTexts LoadBrandTexts(WindowServices& windows, unsigned firstId) {
    BrandTexts brand;
    brand.programName = windows.LoadString(firstId);
    brand.deviceName = windows.LoadString(firstId + 1);
    brand.aboutText = windows.LoadString(firstId + 2);
    brand.linkText = windows.LoadString(firstId + 3);
    return brand;
}
