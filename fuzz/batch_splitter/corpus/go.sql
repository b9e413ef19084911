0GO
select 1
GO
select 2
GO
