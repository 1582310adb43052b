#include <set>

#include "configurator/connection.h"
#include "configurator/link/reply_decoder.h"
#include "configurator/link/value_text.h"
#include "configurator/main_form.h"
#include "core/rounding.h"
#include "platform/vcl/sysutils.h"

namespace {

// Bit 15 of the unit word: the age is counted in minutes.
constexpr std::uint16_t AgeInMinutes = 0x8000;

// A sensing element of the three-sensor layout reports tenths of a kelvin; 0 means no reading.
// The offset comes after the product is a double, so 2730 tenths are exactly 0 degrees.
double Celsius(std::uint16_t raw) {
    return raw == 0 ? 0 : ScaledValue(raw, 0.1) - 273;
}

UnicodeString ReadingText(std::uint16_t raw, bool singleLayout) {
    if (singleLayout) return TString(static_cast<int>(raw)).ToUnicodeString();
    return TString(Celsius(raw), false).ToUnicodeString();
}

} // namespace

void DecodeRadioModuleList(RSport& link, ByteCursor& cursor) {
    Form1->GroupBox1->Show();
    ShowUnsigned(Form1->Edit14, static_cast<std::uint32_t>(cursor.ReadU32()));
    link.moduleAddress = cursor.ReadU8();
    link.address = link.moduleAddress;
    ShowUnsigned(Form1->Edit13, static_cast<std::uint32_t>(link.moduleAddress));
    Form1->ComboBox3->Clear();
    std::set<std::uint32_t> known;
    for (const auto& device : link.RadioDevices)
        known.insert(device.first);
    link.RadioDevices.clear();
    // A device the last list did not hold has just been added to the module: it gets selected.
    int count = cursor.ReadU8();
    int pick = -1;
    for (int i = 0; i < count; ++i) {
        auto serial = static_cast<std::uint32_t>(cursor.ReadU32());
        if (!known.contains(serial)) pick = static_cast<int>(link.RadioDevices.size());
        link.RadioDevices[serial] = cursor.ReadU8();
        Form1->ComboBox3->Items().Add(UnsignedText(serial));
    }
    OnSensorFound(&link);
    // Until the module's release has been read the list is the first after connecting.
    if (pick < 0 || Form1->Edit15->Text().IsEmpty()) return;
    Form1->Button8Click(nullptr);
    Form1->ComboBox3->SetItemIndex(pick);
    Form1->ComboBox3Change(nullptr);
}

void DecodeRadioDeviceValues(ByteCursor& cursor) {
    bool singleLayout = Form1->Label31->Caption() == SingleLayoutCaption;
    ShowWord(Form1->Edit17, ReadWord(cursor));
    Form1->Label26->SetCaption(ReadWord(cursor) & AgeInMinutes ? u"Давность, мин" : u"Давность, сек");
    Form1->Edit26->SetText(ReadingText(ReadWord(cursor), singleLayout));
    Form1->Edit25->SetText(ReadingText(ReadWord(cursor), singleLayout));
    ShowSigned(Form1->Edit8, ReadSignedByte(cursor));
    // The battery byte counts 3.75/128 V, the signal byte quarter steps above -74 dBm.
    Form1->Edit16->SetText(FloatToStr(RoundTo2(ScaledValue(ReadSignedByte(cursor), 3.75 / 128))));
    ShowSigned(Form1->Edit7, ReadSignedByte(cursor) / 2 / 2 - 74);
    std::uint16_t third = ReadWord(cursor);
    Form1->Edit6->SetText(FloatToStr(singleLayout ? third : Celsius(third)));
    Form1->Edit5->SetText(FloatToStr(RoundTo3(ScaledValue(ReadWord(cursor), 5.0 / 4096))));
}
