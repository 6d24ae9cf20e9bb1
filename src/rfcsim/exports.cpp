// exported functions of the simulated library
