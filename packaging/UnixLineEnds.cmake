# cmake -DIN=<file> -DOUT=<file> -P UnixLineEnds.cmake: copies IN to OUT with every
# CR LF turned into LF.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
file(WRITE "${OUT}" "${text}")
