/STX
/0
System message 0.
/1
System message 1.
/2
System message 2.
/3
System message 3.
/4
System message 4.
/5
System message 5.
/6
System message 6.
/7
System message 7.
/8
System message 8.
/9
System message 9.
/10
System message 10.
/11
System message 11.
/12
System message 12.
/13
System message 13.
/14
System message 14.
/15
System message 15.
/16
System message 16.
/17
System message 17.
/18
System message 18.
/19
System message 19.
/20
System message 20.
/21
System message 21.
/22
System message 22.
/23
System message 23.
/24
System message 24.
/25
System message 25.
/26
System message 26.
/27
System message 27.
/28
System message 28.
/29
System message 29.
/30
System message 30.
/31
System message 31.
/32
System message 32.
/33
System message 33.
/34
System message 34.
/35
System message 35.
/36
System message 36.
/37
System message 37.
/38
System message 38.
/39
System message 39.
/40
System message 40.
/41
System message 41.
/42
System message 42.
/43
System message 43.
/44
System message 44.
/45
System message 45.
/46
System message 46.
/47
System message 47.
/48
System message 48.
/49
System message 49.
/50
System message 50.
/51
System message 51.
/52
System message 52.
/53
System message 53.
/54
System message 54.
/55
System message 55.
/56
System message 56.
/57
System message 57.
/58
System message 58.
/59
System message 59.
/60
System message 60.
/MTX
/0
You are in the hall.
/1
The lamp	is lit.
/OTX
/0
A lamp.
/1
A small box.
/LTX
/0
You are in the hall.

It is dark.
/1
You are outside
the house.
/2
A cellar.
/CON
/0
N 1
/1
S 0
NORTH 2   ; a trapdoor
/2
S 9
UP 1
/lnk cave
