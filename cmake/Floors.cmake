# The floors of the house, lowest first: one static library per folder of src/.
# A library sees only the libraries on lower floors: an include never points up
# a floor, nor sideways to another folder on the same floor. The include_floors
# test checks every include of src/ against this table.
set(MORVANE_FLOORS
    platform=0
    valuedoc=1 classlink=1 physics=1 collision=1
    scene=2 foundation=2
    elements=3 server=3
    simulation=4
    apps=5
    widgets=6 dialogs=6
    window=7)

# The folders in floor order.
set(MORVANE_FLOOR_FOLDERS)
foreach(entry ${MORVANE_FLOORS})
    string(REGEX REPLACE "=.*" "" folder ${entry})
    list(APPEND MORVANE_FLOOR_FOLDERS ${folder})
endforeach()
