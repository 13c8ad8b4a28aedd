VERSION_FORMATO_SERIES 3
2
2017 1 1 0 0 0
1/6
3
144
2
-x
cronica 1
ignorada
v p
1 5.5 0.3
2 6 0.4
3 7,0.5
cronica 2
ignorada
otros nombres
1 15.5 1.3
2 16 1.4
3 17;1.5
