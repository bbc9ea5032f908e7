#include "catalogue/catalogue.h"

#include <array>

namespace gapscope {

namespace {

// Channel numbers are fixed by the station's history logs: row k is channel k + 1.
// Texts are as disseminated, double spaces included; this file is UTF-8 ("µ").
// Columns: segments per repeat cycle, display name, file-name code, short name.
constexpr std::array<ChannelInfo, kLastChannel> kCatalogue = {{
    {8, "Channel 01 - Vis 0.6 µm", "VIS006", "msg-ch01"},            // 1
    {8, "Channel 02 - Vis 0.8 µm", "VIS008", "msg-ch02"},            // 2
    {8, "Channel 03 - IR  1.6 µm", "IR_016", "msg-ch03"},            // 3
    {8, "Channel 04 - IR  3.9 µm", "IR_039", "msg-ch04"},            // 4
    {8, "Channel 05 - WV  6.2 µm", "WV_062", "msg-ch05"},            // 5
    {8, "Channel 06 - WV  7.3 µm", "WV_073", "msg-ch06"},            // 6
    {8, "Channel 07 - IR  8.7 µm", "IR_087", "msg-ch07"},            // 7
    {8, "Channel 08 - IR  9.7 µm", "IR_097", "msg-ch08"},            // 8
    {8, "Channel 09 - IR 10.8 µm", "IR_108", "msg-ch09"},            // 9
    {8, "Channel 10 - IR 12.0 µm", "IR_120", "msg-ch10"},            // 10
    {8, "Channel 11 - IR 13.4 µm", "IR_134", "msg-ch11"},            // 11
    {24, "Channel 12 - High Res Vis", "HRV___", "msg-ch12"},         // 12
    {8, "LRIT Channel 01 - Vis 0.6 µm", "VIS006", "lrit-ch01"},      // 13
    {8, "LRIT Channel 03 - IR 1.6 µm", "IR_016", "lrit-ch03"},       // 14
    {8, "LRIT Channel 04 - IR  3.9 µm", "IR_039", "lrit-ch04"},      // 15
    {8, "LRIT Channel 05 - WV 6.2 µm", "WV_062", "lrit-ch05"},       // 16
    {8, "LRIT Channel 09 - IR 10.8 µm", "IR_108", "lrit-ch09"},      // 17
    {7, "GOES-W - Vis 0.63 µm", "00_7_1", "g10-vis"},                // 18
    {7, "GOES-W - IR 10.7 µm", "10_7_1", "g10-ir"},                  // 19
    {7, "GOES-W - WV  6.5 µm", "06_8_1", "g10-wv"},                  // 20
    {7, "GOES-E - Vis 0.63 µm", "00_7_0", "g12-vis"},                // 21
    {7, "GOES-E - IR 10.7 µm", "10_7_0", "g12-ir"},                  // 22
    {7, "GOES-E - WV  6.5 µm", "06_6_0", "g12-wv"},                  // 23
    {6, "MTSAT - Vis 0.7 µm", "00_7_1", "g9-vis"},                   // 24
    {6, "MTSAT - IR 10.8 µm", "10_7_1", "g9-ir"},                    // 25
    {6, "MTSAT - WV  6.8 µm", "06_8_1", "g9-wv"},                    // 26
    {5, "Meteosat 5 - Vis 0.7 µm", "00_7_0", "met5-vis"},            // 27
    {5, "Meteosat 5 - IR 11.5 µm", "11_5_0", "met5-ir"},             // 28
    {10, "Meteosat 5 - WV  6.4 µm", "06_4_0", "met5-wv"},            // 29
    {1, "AMV", "AMV___", "amv"},                                     // 30
    {0, "AMVE", "AMVE__", "amve"},                                   // 31
    {0, "AMVIL", "AMVIL_", "amvil"},                                 // 32
    {0, "AMVIM", "AMVIM_", "amvim"},                                 // 33
    {1, "Cloud analysis", "CLA___", "cla"},                          // 34
    {1, "Cloud analysis", "CLAI__", "clai"},                         // 35
    {1, "CLM", "CLM___", "clm"},                                     // 36
    {1, "CRM", "CRM___", "crm"},                                     // 37
    {1, "Cloud top height", "CTH___", "cth"},                        // 38
    {1, "GII", "GII___", "gii"},                                     // 39
    {0, "SST", "SST___", "sst"},                                     // 40
    {1, "TH", "TH____", "th"},                                       // 41
    {1, "TOZ", "TOZ___", "toz"},                                     // 42
    {5, "Meteosat 7 - Vis  0.7 µm", "00_7_0", "met7-vis"},           // 43
    {5, "Meteosat 7 - IR 11.5 µm", "11_5_0", "met7-ir"},             // 44
    {10, "Meteosat 7 - WV  6.4 µm", "06_4_0", "met7-wv"},            // 45
    {0, "RSS Europe - Vis  0.6 µm", "RSEUVI", "_M6_VISSN"},          // 46
    {0, "RSS Europe - IR 12.0 µm", "RSEUIR", "_M6_IR"},              // 47
    {0, "RSS Europe - WV  7.3 µm", "RSEUWV", "_M6_WV"},              // 48
    {0, "RSS full - Vis  0.6 µm", "RSFRVI", "_M6_VISSN"},            // 49
    {0, "RSS full - IR 12.0 µm", "RSFRIR", "_M6_IR"},                // 50
    {0, "RSS full - WV  7.3 µm", "RSFRWV", "_M6_WV"},                // 51
    {1, "Fire monitoring", "FIRG__", "fir"},                         // 52
    {1, "MPE (precipitation)", "MPEG__", "mpe"},                     // 53
    {1, "Fire list", "FIRA__", "fir"},                               // 54
    {1, "MPEF DIV", "DIV___", "div"},                                // 55
    {7, "GOES-W - IR  3.9 µm", "03_9_1", "g10-mir"},                 // 56
    {7, "GOES-E - IR  3.9 µm", "03_9_0", "g12-mir"},                 // 57
    {6, "MTSAT - IR  3.8 µm", "03_8_1", "mt1-mir"},                  // 58
    {6, "CSR", "CSR___", "csr"},                                     // 59
    {10, "MTSAT-HRIT - IR1 10.8 µm", "IR1_", "mt1-IR1"},             // 60
    {10, "MTSAT-HRIT - IR2 12.0 µm", "IR2_", "mt1-IR2"},             // 61
    {10, "MTSAT-HRIT - IR3  6.8 µm", "IR3_", "mt1-IR3"},             // 62
    {10, "MTSAT-HRIT - IR4  3.8 µm", "IR4_", "mt1-IR4"},             // 63
    {10, "MTSAT-HRIT - Vis 0.7 µm", "VIS_", "mt1-vis"},              // 64
    {1, "ASR", "ASR___", "asr"},                                     // 65
    {1, "RII", "RII___", "rii"},                                     // 66
    {1, "FY2G - IR1 10.8 µm", "_FY2C_FDI_IR1_", "fy2c-IR1"},         // 67
    {1, "FY2G - IR2 12.0 µm", "_FY2C_FDI_IR2_", "fy2c-IR2"},         // 68
    {1, "FY2G - IR3  6.7 µm", "_FY2C_FDI_IR3_", "fy2c-IR3"},         // 69
    {1, "FY2G - IR4  3.7 µm", "_FY2C_FDI_IR4_", "fy2c-IR4"},         // 70
    {1, "FY2G - Visible", "_FY2C_FDI_VIS_", "fy2c-Vis"},             // 71
    {1, "FY2G - Visible 1 km", "_FY2C_FDI_VIS1km_", "fy2c-Vis1km"},  // 72
    {1, "GII-HD", "GIIHD_", "gii-hd"},                               // 73
    {1, "RII-HD", "RIIHD_", "rii-hd"},                               // 74
    {1, "FIRC", "FIRC__", "firc"},                                   // 75
    {1, "NDVI", "NDVI__", "ndvi"},                                   // 76
    {1, "FY2D - IR1 10.8 µm", "_FY2D_FDI_IR1_", "fy2d-IR1"},         // 77
    {1, "FY2D - IR2 12.0 µm", "_FY2D_FDI_IR2_", "fy2d-IR2"},         // 78
    {1, "FY2D - IR3  6.7 µm", "_FY2D_FDI_IR3_", "fy2d-IR3"},         // 79
    {1, "FY2D - IR4  3.7 µm", "_FY2D_FDI_IR4_", "fy2d-IR4"},         // 80
    {1, "FY2D - Visible", "_FY2D_FDI_VIS_", "fy2d-Vis"},             // 81
    {1, "FY2D - Visible 1 km", "_FY2D_FDI_VIS1km_", "fy2d-Vis1km"},  // 82
    {1, "NDVD", "NDVD__", "ndvd"},                                   // 83
    {6, "MTSAT - IR 12.0 µm", "12_0_1", "mt1-ir12"},                 // 84
    {1, "VOLE", "VOLE__", "vole"},                                   // 85
    {1, "OCAE", "OCAE__", "ocae"},                                   // 86
    {6, "GOMS - Vis3  0.9 µm", "GOMS2_4_____-00_9", "goms2-vis3"},   // 87
    {6, "GOMS - IR6  8.0 µm", "GOMS2_4_____-08_0", "goms2-ir6"},     // 88
    {6, "GOMS - IR8  9.7 µm", "GOMS2_4_____-09_7", "goms2-ir8"},     // 89
    {6, "GOMS - IR9  10.7 µm", "GOMS2_4_____-10_7", "goms2-ir9"},    // 90
    {6, "GOMS - IR4  3.8 µm", "GOMS2_4_____-03_8", "goms2-ir4"},     // 91
    {6, "GOMS - IR10  11.9 µm", "GOMS2_4_____-11_9", "goms2-ir10"},  // 92
    {10, "Himawari - Visible 0.64 µm", "IMG_DK01VIS_", "him8-vis"},  // 93
    {10, "Himawari - IR1 10.4 µm", "IMG_DK01IR1_", "him8-ir1"},      // 94
    {10, "Himawari - IR2 12.3 µm", "IMG_DK01IR2_", "him8-ir2"},      // 95
    {10, "Himawari - IR3  6.2 µm", "IMG_DK01IR3_", "him8-ir3"},      // 96
    {10, "Himawari - IR4  3.9 µm", "IMG_DK01IR4_", "him8-ir4"},      // 97
    {10, "Himawari - B04  0.86 µm", "IMG_DK01B04_", "him8-b04"},     // 98
    {10, "Himawari - B05  1.6 µm", "IMG_DK01B05_", "him8-b05"},      // 99
    {10, "Himawari - B10  7.35 µm", "IMG_DK01B10_", "him8-b10"},     // 100
    {10, "Himawari - B11  8.6 µm", "IMG_DK01B11_", "him8-b11"},      // 101
    {10, "Himawari - B14 11.2 µm", "IMG_DK01B14_", "him8-b14"},      // 102
    {10, "Himawari - B16 13.3 µm", "IMG_DK01B16_", "him8-b16"},      // 103
    {10, "Himawari - B09  6.9 µm", "IMG_DK01B09_", "him8-b09"},      // 104
    {10, "Himawari - B06  2.3 µm", "IMG_DK01B06_", "him8-b06"},      // 105
    {10, "Himawari - B12  9.6 µm", "IMG_DK01B12_", "him8-b12"},      // 106
    {1, "G16 B01 blue 0.47 µm", "G16B01", "g16-b01"},                // 107
    {1, "G16 B02 red 0.64 µm", "G16B02", "g16-b02"},                 // 108
    {1, "G16 B03 veggie 0.86 µm", "G16B03", "g16-b03"},              // 109
    {1, "G16 B04 cirrus 1.37 µm", "G16B04", "g16-b04"},              // 110
    {1, "G16 B05 snow/ice 1.6 µm", "G16B05", "g16-b05"},             // 111
    {1, "G16 B06 cld. part. size 2.2 µm", "G16B06", "g16-b06"},      // 112
    {1, "G16 B07 SW IR 3.9 µm", "G16B07", "g16-b07"},                // 113
    {1, "G16 B08 WV upper 6.2 µm", "G16B08", "g16-b08"},             // 114
    {1, "G16 B09 WV mid 6.9 µm", "G16B09", "g16-b09"},               // 115
    {1, "G16 B10 VW lower 7.3 µm", "G16B10", "g16-b10"},             // 116
    {1, "G16 B11 cld.top phase 8.4 µm", "G16B11", "g16-b11"},        // 117
    {1, "G16 B12 ozone 9.6 µm", "G16B12", "g16-b12"},                // 118
    {1, "G16 B13 thermal 10.3 µm", "G16B13", "g16-b13"},             // 119
    {1, "G16 B14 LW IR 11.2 µm", "G16B14", "g16-b14"},               // 120
    {1, "G16 B15 LW IR 12.3 µm", "G16B15", "g16-b15"},               // 121
    {1, "G16 B16 CO2 13.3 µm", "G16B16", "g16-b16"},                 // 122
    {10, "Himawari - B01  0.47 µm", "IMG_DK01B01_", "him8-b01"},     // 123
    {10, "Himawari - B02  0.51 µm", "IMG_DK01B02_", "him8-b02"},     // 124
    {1, "G18 B01 blue 0.47 µm", "G17B01", "g17-b01"},                // 125
    {1, "G18 B02 red 0.64 µm", "G17B02", "g17-b02"},                 // 126
    {1, "G18 B03 veggie 0.86 µm", "G17B03", "g17-b03"},              // 127
    {1, "G18 B04 cirrus 1.37 µm", "G17B04", "g17-b04"},              // 128
    {1, "G18 B05 snow/ice 1.6 µm", "G17B05", "g17-b05"},             // 129
    {1, "G18 B06 cld. part. size 2.2 µm", "G17B06", "g17-b06"},      // 130
    {1, "G18 B07 SW IR 3.9 µm", "G17B07", "g17-b07"},                // 131
    {1, "G18 B08 WV upper 6.2 µm", "G17B08", "g17-b08"},             // 132
    {1, "G18 B09 WV mid 6.9 µm", "G17B09", "g17-b09"},               // 133
    {1, "G18 B10 VW lower 7.3 µm", "G17B10", "g17-b10"},             // 134
    {1, "G18 B11 cld.top phase 8.4 µm", "G17B11", "g17-b11"},        // 135
    {1, "G18 B12 ozone 9.6 µm", "G17B12", "g17-b12"},                // 136
    {1, "G18 B13 thermal 10.3 µm", "G17B13", "g17-b13"},             // 137
    {1, "G18 B14 LW IR 11.2 µm", "G17B14", "g17-b14"},               // 138
    {1, "G18 B15 LW IR 12.3 µm", "G17B15", "g17-b15"},               // 139
    {1, "G18 B16 CO2 13.3 µm", "G17B16", "g17-b16"},                 // 140
    {1, "FY2H - IR1 10.8 µm", "_FY2H_FDI_IR1_", "fy2h-IR1"},         // 141
    {1, "FY2H - IR2 12.0 µm", "_FY2H_FDI_IR2_", "fy2h-IR2"},         // 142
    {1, "FY2H - IR3  6.7 µm", "_FY2H_FDI_IR3_", "fy2h-IR3"},         // 143
    {1, "FY2H - IR4  3.7 µm", "_FY2H_FDI_IR4_", "fy2h-IR4"},         // 144
    {1, "FY2H - Visible", "_FY2H_FDI_VIS_", "fy2h-Vis"},             // 145
    {1, "FY2H - Visible 1 km", "_FY2H_FDI_VIS1km_", "fy2h-Vis1km"},  // 146
}};

// FileHistory.log key suffixes of the DCP and MDD message kinds, by kind number.
constexpr std::array<std::string_view, kSequenceKindCount> kSequenceSuffixes = {
    "-dcp",   "-gts", "-gts-3",    "-acmad",    "-acmad-4",
    "-gts-5", "-wmo", "-dcp-iodc", "-wmo-iodc", "-dcp-wmo-bufr",
};

// Returned for a number outside 1..146 so that a stray number can never read past the table.
constexpr ChannelInfo kNoChannel{0, "", "", ""};

}  // namespace

const ChannelInfo& ChannelInfoOf(ChannelNumber n) {
    if (n < kFirstChannel || n > kLastChannel) return kNoChannel;
    return kCatalogue[static_cast<std::size_t>(n - kFirstChannel)];
}

std::string_view ChannelShortName(ChannelNumber n) {
    return ChannelInfoOf(n).shortName;
}

int ChannelSegments(ChannelNumber n) {
    return ChannelInfoOf(n).segments;
}

std::string_view SequenceSuffix(SequenceKind k) {
    if (k < 0 || k >= kSequenceKindCount) return {};
    return kSequenceSuffixes[static_cast<std::size_t>(k)];
}

}  // namespace gapscope
