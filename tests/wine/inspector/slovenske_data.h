// Slovak test data for the windows as a user reads them: calls of the
// history with capitals carrying accents (Ô, Ž, Ľ, Š, Ď, Ĺ, Č, Ť) and long
// firms, as lines of vestrix.hst (code page 1250).
#pragma once

namespace vx::inspector {

inline const char kSlovenskaHistoria[] =
    "28.11.2026  08:15:33;0905123456;Ôndrej Žiak;Čističky odpadových vôd, Ťahanovská 15, Prešov;0212345678\r\n"
    "28.11.2026  09:01:02;anonymous;;;0212345678\r\n"
    "28.11.2026  10:47:59;0421555111;Ľudovít Štúr;Ústav slovenskej literatúry SAV;0212345678\r\n"
    "29.11.2026  13:22:10;0907000111;Ďurica Ďurčo;Ťažobná spoločnosť Ľubietová;Port 1\r\n"
    "29.11.2026  17:05:45;02111;Ĺudmila Čierna;Mesto Senec;(number suppressed)\r\n";

}  // namespace vx::inspector
