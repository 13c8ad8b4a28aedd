-- Tables of the quendal database: plants, theoretical wind-farm models with
-- their per-turbine factors, turbines and turbine power curves.
-- Names are unquoted lower case (the program's mixed-case spellings, such as
-- nid_central_KOLM or curva_P, fold to them); what the program reads as an
-- integer is an integer column; everything the program does not insert
-- itself may be NULL.

-- One row per plant, wind farm or solar plant.
CREATE TABLE centrales (
    nid integer PRIMARY KEY,
    centralgeneradora text,
    potencia_autorizada_mw double precision,
    meteo_utm_zona text,
    meteo_utm_huso integer,
    meteo_utm_xe double precision,
    meteo_utm_yn double precision,
    meteo_cota double precision,
    latitud double precision,
    longitud double precision,
    factor_kolm_scada double precision,
    nid_central_kolm integer
);

-- Turbine power curves; curva_v and curva_p hold one-line vector strings
-- "[n|v1;v2;...]".
CREATE TABLE curvas_aerogen (
    nid integer PRIMARY KEY,
    modelo text,
    diametro double precision,
    curva_v text,
    curva_p text
);

-- Theoretical models of a plant, the newest by dt_creacion being the one in
-- use. New numbers come from modelo_teorico_nid_seq.
CREATE SEQUENCE modelo_teorico_nid_seq START 1;

CREATE TABLE modelo_teorico (
    nid integer PRIMARY KEY DEFAULT nextval('modelo_teorico_nid_seq'),
    central integer NOT NULL,
    dt_creacion timestamp,
    dt_actualizacion timestamp,
    n_sectores_dir integer,
    alfa_terreno double precision,
    gamma_atmosfera double precision,
    fpv3pe double precision,
    factor_perdidas double precision,
    potencia_autorizada_mw double precision,
    potencia_nominal double precision,
    grilla_rotada_dx double precision,
    grilla_rotada_dy double precision,
    grilla_rotada_margen_dx double precision,
    meteo_utm_zona text,
    meteo_utm_huso integer,
    meteo_utm_xe double precision,
    meteo_utm_yn double precision,
    meteo_cota double precision,
    -- one-line matrix strings "[nf|nc][...]...", 72 sectors by 10 speed bins
    meteo_etha text,
    mat_vientos text
);

ALTER SEQUENCE modelo_teorico_nid_seq OWNED BY modelo_teorico.nid;

CREATE INDEX modelo_teorico_central ON modelo_teorico (central, dt_creacion);

-- Turbines of a plant, placed by their UTM position.
CREATE TABLE molinos (
    nid integer PRIMARY KEY,
    nid_curvaaero integer,
    nidcentral integer,
    nro integer,
    etha double precision,
    yn double precision,
    xe double precision,
    zona_utm text,
    huso_utm integer
);

CREATE INDEX molinos_nidcentral ON molinos (nidcentral);

-- Per-model factor of each turbine. No key: the program itself tells a
-- turbine with no row, or with more than one, from one with its single row.
CREATE TABLE modelo_teorico_etha_molinos (
    nid_modelo integer,
    nid_molino integer,
    etha double precision
);

CREATE INDEX modelo_teorico_etha_molinos_modelo ON modelo_teorico_etha_molinos (nid_modelo, nid_molino);
