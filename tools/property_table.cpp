#include "tools/property_table.h"

#include <array>

namespace dtaus::tool {
namespace {

// Picks the setter among the overloads of a property that also has a getter.
constexpr void (MeineInfo::*header_setter(void (MeineInfo::*set)(std::string_view)))(
    std::string_view) {
  return set;
}
constexpr void (GeldTransfer::*payment_setter(void (GeldTransfer::*set)(std::string_view)))(
    std::string_view) {
  return set;
}

constexpr std::array<HeaderProperty, 8> kHeaderProperties = {{
    {"DateiMedia", ValueKind::kMedia, nullptr},
    {"GeldTransferTyp", ValueKind::kTransfer, nullptr},
    {"BLZ", ValueKind::kText, &MeineInfo::BLZ},
    {"Name", ValueKind::kText, &MeineInfo::Name},
    {"AktuellesDatum", ValueKind::kText, header_setter(&MeineInfo::AktuellesDatum)},
    {"Konto", ValueKind::kText, &MeineInfo::Konto},
    {"FreieReferenz", ValueKind::kText, &MeineInfo::FreieReferenz},
    {"AusfuehrungsDatum", ValueKind::kText, &MeineInfo::AusfuehrungsDatum},
}};

constexpr std::array<PaymentProperty, 23> kPaymentProperties = {{
    {"BLZ", ValueKind::kText, payment_setter(&GeldTransfer::BLZ)},
    {"Name", ValueKind::kText, &GeldTransfer::Name},
    {"Konto", ValueKind::kText, payment_setter(&GeldTransfer::Konto)},
    {"FreieReferenz", ValueKind::kText, &GeldTransfer::FreieReferenz},
    {"BetragEuro", ValueKind::kAmount, &GeldTransfer::BetragEuro},
    {"BetragEuroNetto", ValueKind::kAmount, &GeldTransfer::BetragEuroNetto},
    {"BetragEuroBrutto", ValueKind::kAmount, payment_setter(&GeldTransfer::BetragEuroBrutto)},
    {"VerwendungsZweck", ValueKind::kText, &GeldTransfer::VerwendungsZweck},
    {"VerwendungsZweck2", ValueKind::kText, &GeldTransfer::VerwendungsZweck2},
    {"VerwendungsZweck3", ValueKind::kText, &GeldTransfer::VerwendungsZweck3},
    {"VerwendungsZweck4", ValueKind::kText, &GeldTransfer::VerwendungsZweck4},
    {"VerwendungsZweck5", ValueKind::kText, &GeldTransfer::VerwendungsZweck5},
    {"VerwendungsZweck6", ValueKind::kText, &GeldTransfer::VerwendungsZweck6},
    {"VerwendungsZweck7", ValueKind::kText, &GeldTransfer::VerwendungsZweck7},
    {"VerwendungsZweck8", ValueKind::kText, &GeldTransfer::VerwendungsZweck8},
    {"VerwendungsZweck9", ValueKind::kText, &GeldTransfer::VerwendungsZweck9},
    {"VerwendungsZweck10", ValueKind::kText, &GeldTransfer::VerwendungsZweck10},
    {"VerwendungsZweck11", ValueKind::kText, &GeldTransfer::VerwendungsZweck11},
    {"VerwendungsZweck12", ValueKind::kText, &GeldTransfer::VerwendungsZweck12},
    {"VerwendungsZweck13", ValueKind::kText, &GeldTransfer::VerwendungsZweck13},
    {"VerwendungsZweck14", ValueKind::kText, &GeldTransfer::VerwendungsZweck14},
    {"Name2", ValueKind::kText, &GeldTransfer::Name2},
    {"MeineInfoName2", ValueKind::kText, &GeldTransfer::MeineInfoName2},
}};

template <typename Object, std::size_t N>
const Property<Object>* find(const std::array<Property<Object>, N>& table, std::string_view name) {
  for (const auto& property : table) {
    if (property.name == name) return &property;
  }
  return nullptr;
}

}  // namespace

const HeaderProperty* find_header_property(std::string_view name) {
  return find(kHeaderProperties, name);
}

const PaymentProperty* find_payment_property(std::string_view name) {
  return find(kPaymentProperties, name);
}

}  // namespace dtaus::tool
