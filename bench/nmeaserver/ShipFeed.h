#pragma once
// One second of a survey ship's instruments, in the order they come: GPS at
// 1 Hz (GGA, RMC, VTG), the gyro at 5 Hz (HDT), log (VHW) and echo sounder
// (DPT) at 1 Hz, and busy AIS traffic (AIVDM, recorded-style). Sentence
// bodies: without start character, checksum and line end.
#include <iterator>

namespace velmar::nmeabench {

inline const char* const ShipFeed[] = {
    "GPGGA,123519.00,4807.0382,N,01131.0004,E,1,08,0.9,545.4,M,46.9,M,,",
    "GPRMC,123519.00,A,4807.0382,N,01131.0004,E,022.4,084.4,230394,003.1,W",
    "GPVTG,084.4,T,087.5,M,022.4,N,041.5,K",
    "HEHDT,084.4,T",
    "VWVHW,084.4,T,087.5,M,10.2,N,18.9,K",
    "SDDPT,32.4,0.5",
    "AIVDM,1,1,,B,13P7E7@P1pwdV5rMR?7Cv:v005qS,0",
    "HEHDT,084.6,T",
    "AIVDM,1,1,,A,13P7INPP0Kwd`k<MEfpLlEj>1;H9,0",
    "AIVDM,1,1,,A,53P7E7@2:nf0l=IW400<Di@T>1HuT4LE800000162P:4475VN:4mhCTi@@0000000000000,2",
    "HEHDT,084.5,T",
    "AIVDM,1,1,,A,13P7MmhP0bwcaO6MM1;G<8fL1vKi,0",
    "AIVDM,1,1,,A,402=VPAvc5<00wiFP0MM@@701ORt,0",
    "HEHDT,084.3,T",
    "AIVDM,1,1,,A,13P7R=0P0@wc?wRMQ?Dks7Nb1gHC,0",
    "AIVDM,1,1,,A,33P7kb0P1pwgwD8MR864B5SR0Q:h,0",
    "HEHDT,084.4,T",
    "AIVDM,1,1,,A,13P7VT@P01we2DtME5en<94p0Kuo,0",
};

// AIS sentences start with "!", all others with "$".
inline bool IsAis(const char* body)
{
    return body[0] == 'A' && body[1] == 'I';
}

} // namespace velmar::nmeabench
